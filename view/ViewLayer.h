// Plugs the view layer into the folders below it when the library (or a test
// program) starts, and takes it out again when it stops.
#pragma once

namespace cataloom {

// The folders' CreateViewObject hands out this layer's folder view.
void InstallViewLayer() noexcept;
// Unregisters the view's window class: a class left behind by an unloaded
// library would point at code that is gone.
void UninstallViewLayer() noexcept;

}  // namespace cataloom
