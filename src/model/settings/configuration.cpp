#include "model/settings/configuration.h"

#include "model/persistence/omni_xml_reader.h"
#include "model/persistence/omni_xml_writer.h"
#include "model/persistence/set_aside.h"
#include "platform/file_replace.h"
#include "platform/message_sink.h"
#include "platform/process_priority.h"
#include "platform/user_folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vc {

void TPerformanceOptions::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TPerformanceOptions*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetThreadCount(s->ThreadCount());
    SetThreadPrority(s->ThreadPrority());
}

TAVConfiguration::TAVConfiguration(QObject* parent)
    : TPersistent(parent), performance_options_(std::make_unique<TPerformanceOptions>()),
      output_folder_(QDir::homePath() + "/Conversion") {}

TAVConfiguration::~TAVConfiguration() = default;

void TAVConfiguration::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TAVConfiguration*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetPerformanceOptions(s->PerformanceOptions());
    SetShutdownWhenDone(s->ShutdownWhenDone());
    SetOutputFolder(s->OutputFolder());
    SetShowAlert(s->ShowAlert());
    SetFirstRun(s->FirstRun());
}

QString TAVConfiguration::GetAppDataFolder() {
    return vc::GetAppDataFolder();
}

QString TAVConfiguration::GetConfigFile() {
    return GetAppDataFolder() + "Config.Xml";
}

void TAVConfiguration::Load() {
    if (!QFileInfo::exists(GetConfigFile()))
        Save();
    LoadFromFile(GetConfigFile());
}

void TAVConfiguration::LoadFromFile(const QString& file) {
    TOmniXMLReader::LoadFromFile(this, file);
}

void TAVConfiguration::Save() {
    const QString file = GetConfigFile();
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        throw Error(QStringLiteral("Cannot create folder \"%1\".").arg(folder).toStdString());
    SetProcessPriorityLevel(PerformanceOptions()->ThreadPrority()); // refusals are ignored
    SaveToFile(file);
}

void TAVConfiguration::SaveToFile(const QString& file) {
    const std::string text = TOmniXMLWriter::SaveToText(this, TPropsFormat::pfNodes, TOutputFormat::ofIndent);
    // A file that already says this is left alone: saving at exit after a failed run (a full disk,
    // a store that cannot be opened) then writes nothing at all.
    QFile current(file);
    if (current.open(QIODevice::ReadOnly) && current.size() == static_cast<qint64>(text.size()) &&
        current.readAll() == QByteArray::fromStdString(text))
        return;
    current.close();
    ReplaceFileContents(file, QByteArray::fromStdString(text));
}

bool TAVConfiguration::LoadAtStartup() {
    set_aside_file_.clear();
    const QString file = GetConfigFile();
    std::string problem;
    try {
        if (!QFileInfo::exists(file))
            Save();
        const std::vector<std::string> skipped = TOmniXMLReader::LoadFromFileValueByValue(this, file);
        if (!skipped.empty()) {
            // One bad value costs that value only; the file is rewritten with its default at exit.
            std::string message = "Some settings in \"" + file.toStdString() +
                                  "\" could not be read and take their default values:";
            for (const std::string& line : skipped)
                message += "\n" + line;
            CurrentMessageSink().Show(MessageKind::Warning, "Warning", message);
        }
        return true;
    } catch (const Error& e) { // reader errors, and files that cannot be read or written
        problem = e.what();
    }

    // Values read before the failure are undone: the program starts from a known state.
    const TAVConfiguration fresh;
    Assign(&fresh);
    std::string message = "The settings could not be loaded from \"" + file.toStdString() + "\": " + problem;
    if (QFileInfo::exists(file)) {
        const QString aside = SetAsideDamagedFile(file);
        if (!aside.isEmpty()) {
            set_aside_file_ = aside;
            message += "\nThe file was kept as \"" + aside.toStdString() + "\".";
            try {
                Save();
            } catch (const Error& e) {
                message += std::string("\nNew settings could not be saved: ") + e.what();
            }
        } else {
            message += "\nThe file could not be set aside and was left as it is.";
        }
    }
    message += "\nThe program starts with the default settings.";
    CurrentMessageSink().Show(MessageKind::Warning, "Warning", message);
    return false;
}

TAVConfiguration& AVConfiguration() {
    static TAVConfiguration configuration;
    return configuration;
}

} // namespace vc
