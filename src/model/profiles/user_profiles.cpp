#include "model/profiles/user_profiles.h"

#include "model/profiles/builtin_profiles.h"
#include "model/profiles/ini_file.h"
#include "model/profiles/profile.h"
#include "platform/user_folders.h"

#include <QFileInfo>

namespace vc {
namespace {
const QString kSection = QString::fromLatin1(kProfileSection);
}

QString UserProfilesPath() {
    return GetAppDataFolder() + QStringLiteral("Profiles.ini");
}

void LoadUserProfiles(TAVProfileList& list, const QString& path) {
    const IniFile ini(path); // read before anything changes, so a bad file loses nothing
    list.ClearCustomProfiles();
    const int count = ini.ReadInteger(kSection, QStringLiteral("ProfileCount"), 0);
    for (int i = 0; i < count; ++i) {
        TAVCustomAudioProfile* profile = nullptr;
        if (ini.ReadBool(kSection, TAVProfile::Key("IsVideo", i), false))
            profile = new TAVCustomVideoProfile(&list);
        else
            profile = new TAVCustomAudioProfile(&list);
        profile->LoadFromIni(ini, i);
        profile->SetProfileList(&list);
    }
}

void SaveUserProfiles(const TAVProfileList& list, const QString& path) {
    IniFile ini(path);
    int number = 0;
    for (int i = 0; i < list.Count(); ++i) {
        if (const auto* profile = qobject_cast<const TAVCustomAudioProfile*>(list.Profiles(i))) {
            profile->SaveToIni(ini, number);
            ++number;
        }
    }
    ini.WriteInteger(kSection, QStringLiteral("ProfileCount"), number);
    ini.Save();
}

std::unique_ptr<TAVProfileList> LoadCatalogue(const QString& path) {
    auto list = CreateBuiltInCatalogue();
    if (QFileInfo::exists(path))
        LoadUserProfiles(*list, path);
    return list;
}

} // namespace vc
