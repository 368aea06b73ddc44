// Plugs the capture's windows into the library below them when the library
// (or a test program) starts: the capture menu CLSID's object.
#pragma once

namespace cataloom {

void InstallCaptureLayer() noexcept;

}  // namespace cataloom
