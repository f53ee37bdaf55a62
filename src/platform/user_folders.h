#pragma once
// Per-user folders. The desktop program asks the shell for numbered special folders; here they map
// onto the XDG base directories and the user's XDG user directories.
#include <QString>

namespace vc {

// Shell folder numbers the program uses (the numbering the stored settings and callers know).
enum SpecialFolder : int {
    CSIDL_DESKTOP = 0x00,
    CSIDL_PERSONAL = 0x05, // documents
    CSIDL_MYMUSIC = 0x0d,
    CSIDL_MYVIDEO = 0x0e,
    CSIDL_APPDATA = 0x1a, // roaming application data
    CSIDL_LOCAL_APPDATA = 0x1c,
    CSIDL_MYPICTURES = 0x27,
    CSIDL_PROFILE = 0x28, // the home folder
};

// The folder's path followed by a separator ("/"), or an empty string for a folder this platform
// does not have. Only the low 7 bits of `folder_id` count (higher bits are creation flags).
QString GetSpecialFolder(int folder_id);

// $XDG_DATA_HOME (when set to an absolute path), else ~/.local/share, then
// "Quorvane/VideoConverterCHS/". Always ends with "/". Holds Config.Xml, av.cfg and Profiles.ini.
QString GetAppDataFolder();

} // namespace vc
