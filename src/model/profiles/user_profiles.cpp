#include "model/profiles/user_profiles.h"

#include "engine/media/format_helpers.h"
#include "model/persistence/set_aside.h"
#include "model/profiles/builtin_profiles.h"
#include "model/profiles/ini_file.h"
#include "model/profiles/profile.h"
#include "platform/message_sink.h"
#include "platform/user_folders.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

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

// The keys every stored profile has, in the order they are written; a video profile has the
// second list too.
const char* const kAudioKeys[] = {"Description",  "Extension",     "Category",     "IsVideo", "SampleRate",
                                  "AudioEncoder", "AudioChannels", "AudioBitrate", "Format",  "Options"};
const char* const kVideoKeys[] = {"FrameWidth", "FrameHeight", "VideoEncoder", "FrameRate", "VideoBitrate"};

bool IsWhole(const IniFile& ini, int number) {
    for (const char* key : kAudioKeys)
        if (!ini.HasKey(kSection, TAVProfile::Key(key, number)))
            return false;
    if (ini.ReadBool(kSection, TAVProfile::Key("IsVideo", number), false))
        for (const char* key : kVideoKeys)
            if (!ini.HasKey(kSection, TAVProfile::Key(key, number)))
                return false;
    return true;
}

// Names every value of profile `number` that does not read: the profile keeps its default there.
void CheckValues(const IniFile& ini, int number, std::vector<std::string>& notes) {
    struct Whole {
        const char* key;
        int end; // values from 0 up to, not including, this; 0: any number
    };
    static const Whole kWholes[] = {{"IsVideo", 0},       {"SampleRate", 0},   {"AudioEncoder", 8},
                                    {"AudioChannels", 2}, {"Format", 18},      {"FrameWidth", 0},
                                    {"FrameHeight", 0},   {"VideoEncoder", 9}, {"FrameRate", 8},
                                    {"VideoBitrate", 0}};
    for (const Whole& w : kWholes) {
        const QString key = TAVProfile::Key(w.key, number);
        if (!ini.HasKey(kSection, key))
            continue;
        const std::string text = ini.ReadString(kSection, key, QString()).toStdString();
        const auto value = TryParseInt(text);
        if (!value)
            notes.push_back(key.toStdString() + ": '" + text + "' is not a number");
        else if (w.end > 0 && (*value < 0 || *value >= w.end))
            notes.push_back(key.toStdString() + ": '" + text + "' is out of range");
    }
    const QString bitrate = TAVProfile::Key("AudioBitrate", number);
    if (ini.HasKey(kSection, bitrate) && ini.ReadFloat(kSection, bitrate, -1) == -1 &&
        ini.ReadFloat(kSection, bitrate, -2) == -2)
        notes.push_back(bitrate.toStdString() + ": '" +
                        ini.ReadString(kSection, bitrate, QString()).toStdString() + "' is not a number");
}

} // namespace

QString UserProfilesPath() {
    return GetAppDataFolder() + QStringLiteral("Profiles.ini");
}

std::vector<std::string> LoadUserProfiles(TAVProfileList& list, const QString& path) {
    // Read and checked before anything changes, so a bad file loses nothing.
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        throw Error("Unable to read " + path.toStdString() + ": " + source.errorString().toStdString());
    QByteArray bytes = source.readAll();
    std::vector<std::string> notes;
    // Every line the program writes ends with a line break: a last line without one was cut off
    // in the middle, and its value may be cut too.
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
        const qsizetype end = bytes.lastIndexOf('\n');
        const QByteArray cut = bytes.mid(end + 1);
        bytes.truncate(end + 1);
        notes.push_back("the last line is cut off (" + cut.left(40).toStdString() + "): it is left out");
    }
    std::unique_ptr<IniFile> file;
    try {
        file = std::make_unique<IniFile>(path, bytes);
    } catch (const EIniText& e) {
        throw EDamagedProfiles(e.what());
    }
    const IniFile& ini = *file;
    const int held = ProfilesHeld(ini);
    const QString count_text = ini.ReadString(kSection, QStringLiteral("ProfileCount"), QString());
    int count = 0;
    if (count_text.isNull() || !TryParseInt(count_text.toStdString()) ||
        *TryParseInt(count_text.toStdString()) < 0) {
        // The count is written last: a file without it was cut short. Every profile it holds whole
        // is kept; one cut in the middle is not.
        while (count < held && IsWhole(ini, count))
            ++count;
        // Nothing whole to keep: the file is damaged, not cut, and the built-in profiles serve.
        if (count == 0)
            throw EDamagedProfiles("Unable to read " + path.toStdString() + ": " +
                                   (count_text.isNull()
                                        ? "it has no [" + std::string(kProfileSection) + "] ProfileCount"
                                        : "ProfileCount is not a count (" + count_text.toStdString() + ")"));
        notes.push_back(count_text.isNull()
                            ? "it has no ProfileCount (the file was cut short)"
                            : "ProfileCount: '" + count_text.toStdString() + "' is not a count");
        notes.push_back(std::to_string(count) + (count == 1 ? " whole profile is" : " whole profiles are") +
                        " kept" +
                        (count < held ? ", " + std::to_string(held - count) + " incomplete left out" : ""));
    } else {
        count = std::min(*TryParseInt(count_text.toStdString()), held);
    }
    for (int i = 0; i < count; ++i)
        CheckValues(ini, i, notes);
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
    return notes;
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
        const std::vector<std::string> notes = LoadUserProfiles(*list, path);
        if (!notes.empty()) {
            // What could be read is used; the file itself is left as it is.
            std::string message = "Some of the profiles in \"" + path.toStdString() +
                                  "\" could not be read; the rest are used:";
            for (const std::string& note : notes)
                message += "\n" + note;
            CurrentMessageSink().Show(MessageKind::Warning, "Warning", message);
        }
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
