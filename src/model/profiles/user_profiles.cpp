#include "model/profiles/user_profiles.h"

#include "engine/media/format_helpers.h"
#include "model/persistence/set_aside.h"
#include "model/profiles/builtin_profiles.h"
#include "model/profiles/ini_file.h"
#include "model/profiles/profile.h"
#include "platform/message_sink.h"
#include "platform/user_folders.h"

#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace vc {
namespace {
const QString kSection = QString::fromLatin1(kProfileSection);

// One more than the highest N of the "DescriptionN" keys: the profiles the file can hold.
int ProfilesHeld(const IniFile& ini) {
    int held = 0;
    const QLatin1String word("Description");
    for (const QString& key : ini.Keys(kSection)) {
        if (!key.startsWith(word, Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const int n = QStringView(key).mid(word.size()).toInt(&ok);
        if (ok && n >= 0 && n < std::numeric_limits<int>::max())
            held = std::max(held, n + 1);
    }
    return held;
}

} // namespace

QString UserProfilesPath() {
    return GetAppDataFolder() + QStringLiteral("Profiles.ini");
}

void LoadUserProfiles(TAVProfileList& list, const QString& path) {
    // Read and checked before anything changes, so a bad file loses nothing.
    std::unique_ptr<IniFile> file;
    try {
        file = std::make_unique<IniFile>(path);
    } catch (const EIniText& e) {
        throw EDamagedProfiles(e.what());
    }
    const IniFile& ini = *file;
    const QString count_text = ini.ReadString(kSection, QStringLiteral("ProfileCount"), QString());
    if (count_text.isNull())
        throw EDamagedProfiles("Unable to read " + path.toStdString() + ": it has no [" + kProfileSection +
                               "] ProfileCount");
    const auto declared = TryParseInt(count_text.toStdString());
    if (!declared || *declared < 0)
        throw EDamagedProfiles("Unable to read " + path.toStdString() + ": ProfileCount is not a count (" +
                               count_text.toStdString() + ")");
    const int count = std::min(*declared, ProfilesHeld(ini));
    list.ClearCustomProfiles();
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
    if (!QFileInfo::exists(path))
        return list;
    try {
        LoadUserProfiles(*list, path);
    } catch (const EDamagedProfiles& e) {
        std::string message = std::string("The profiles could not be loaded: ") + e.what();
        const QString aside = SetAsideDamagedFile(path);
        message += aside.isEmpty() ? "\nThe file could not be set aside and was left as it is."
                                   : "\nThe file was kept as \"" + aside.toStdString() + "\".";
        message += "\nThe program starts with the built-in profiles.";
        CurrentMessageSink().Show(MessageKind::Warning, "Warning", message);
    }
    return list;
}

} // namespace vc
