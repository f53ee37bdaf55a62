#include "platform/user_folders.h"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>

namespace vc {

namespace {

QString WithSeparator(QString path) {
    if (path.isEmpty())
        return path;
    if (!path.endsWith('/'))
        path += '/';
    return path;
}

// XDG_DATA_HOME must be absolute to count; a relative value is ignored as the XDG rules say.
QString DataHome() {
    const char* env = std::getenv("XDG_DATA_HOME");
    if (env && *env && env[0] == '/')
        return QString::fromLocal8Bit(env);
    return QDir::homePath() + "/.local/share";
}

QString StandardLocation(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location);
}

} // namespace

QString GetSpecialFolder(int folder_id) {
    switch (folder_id & 0x7f) {
    case CSIDL_APPDATA:
    case CSIDL_LOCAL_APPDATA: return WithSeparator(DataHome());
    case CSIDL_DESKTOP: return WithSeparator(StandardLocation(QStandardPaths::DesktopLocation));
    case CSIDL_PERSONAL: return WithSeparator(StandardLocation(QStandardPaths::DocumentsLocation));
    case CSIDL_MYMUSIC: return WithSeparator(StandardLocation(QStandardPaths::MusicLocation));
    case CSIDL_MYVIDEO: return WithSeparator(StandardLocation(QStandardPaths::MoviesLocation));
    case CSIDL_MYPICTURES: return WithSeparator(StandardLocation(QStandardPaths::PicturesLocation));
    case CSIDL_PROFILE: return WithSeparator(QDir::homePath());
    default: return {};
    }
}

QString GetAppDataFolder() {
    return GetSpecialFolder(CSIDL_APPDATA) + "Quorvane/VideoConverterCHS/";
}

} // namespace vc
