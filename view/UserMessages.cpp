#include "view/UserMessages.h"

#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"

namespace cataloom {

int ShowMessage(HWND owner, UINT textId, UINT icon) noexcept {
    char text[256];
    char caption[64];
    LoadResourceText(textId, text, sizeof text);
    LoadResourceText(IDS_MESSAGE_CAPTION, caption, sizeof caption);
    return MessageBoxA(owner, text, caption, MB_OK | icon);
}

}  // namespace cataloom
