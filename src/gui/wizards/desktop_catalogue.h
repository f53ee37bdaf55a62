#pragma once
// The desktop program's profile catalogue: the built-in profiles and the user profile file, read
// on first use and kept for the run (main thread only). The wizards and the profile editor share it.
namespace vc {
class TAVProfileList;
}

namespace vc::gui {

TAVProfileList& DesktopCatalogue();

} // namespace vc::gui
