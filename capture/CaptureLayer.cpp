#include "capture/CaptureLayer.h"

#include "capture/DriveContextMenu.h"
#include "namespace/ClassIds.h"
#include "namespace/ServerClasses.h"

namespace cataloom {

void InstallCaptureLayer() noexcept { InstallServerClass(kClsidCaptureMenu, CreateDriveContextMenu); }

}  // namespace cataloom
