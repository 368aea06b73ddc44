#include "capture/CaptureLayer.h"

#include "capture/DriveContextMenu.h"
#include "settings/ClassIds.h"
#include "namespace/ServerClasses.h"

namespace cataloom {

void InstallCaptureLayer() noexcept { InstallServerClass(kClsidCaptureMenu, CreateDriveContextMenu); }

}  // namespace cataloom
