#pragma once
// The application settings, stored as "Config.Xml" in the application-data folder. One instance
// per process (AVConfiguration()), used on the main thread only: loaded before the user interface
// starts, saved when the program ends and whenever the options dialog or setup wizard changes it.
#include "engine/options/option_bounds.h"
#include "engine/options/persistent.h"

#include <QString>
#include <memory>

namespace vc {

class TPerformanceOptions : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int ThreadCount READ ThreadCount WRITE SetThreadCount)
    Q_PROPERTY(int ThreadPrority READ ThreadPrority WRITE SetThreadPrority)

public:
    explicit TPerformanceOptions(QObject* parent = nullptr) : TPersistent(parent) {}
    void Assign(const TPersistent* source) override;

    // Encoder threads per conversion: 0 automatic (all processors), 1 to 32 a fixed count; other
    // values (a file edited by hand) are brought into that range.
    int ThreadCount() const { return thread_count_; }
    void SetThreadCount(int v) { thread_count_ = ClampThreadCount(v); }
    // Process priority level, 0 idle .. 2 normal .. 5 realtime; applied when the settings are saved.
    int ThreadPrority() const { return thread_prority_; }
    void SetThreadPrority(int v) { thread_prority_ = v; }

private:
    int thread_count_ = 0;
    int thread_prority_ = 2;
};

class TAVConfiguration : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("Default.ShutdownWhenDone", "false")
    Q_CLASSINFO("Default.ShowAlert", "true")
    Q_CLASSINFO("Default.FirstRun", "true")
    Q_PROPERTY(
        vc::TPerformanceOptions* PerformanceOptions READ PerformanceOptions WRITE SetPerformanceOptions)
    Q_PROPERTY(bool ShutdownWhenDone READ ShutdownWhenDone WRITE SetShutdownWhenDone)
    Q_PROPERTY(QString OutputFolder READ OutputFolder WRITE SetOutputFolder)
    Q_PROPERTY(bool ShowAlert READ ShowAlert WRITE SetShowAlert)
    Q_PROPERTY(bool FirstRun READ FirstRun WRITE SetFirstRun)

public:
    explicit TAVConfiguration(QObject* parent = nullptr);
    ~TAVConfiguration() override;
    void Assign(const TPersistent* source) override;

    TPerformanceOptions* PerformanceOptions() const { return performance_options_.get(); }
    void SetPerformanceOptions(const TPerformanceOptions* v) { performance_options_->Assign(v); }
    // Shut the computer down when the last running conversion completes.
    bool ShutdownWhenDone() const { return shutdown_when_done_; }
    void SetShutdownWhenDone(bool v) { shutdown_when_done_ = v; }
    // The wizards' default output folder; ~/Conversion when new.
    QString OutputFolder() const { return output_folder_; }
    void SetOutputFolder(const QString& v) { output_folder_ = v; }
    // Show the desktop alert when a task completes.
    bool ShowAlert() const { return show_alert_; }
    void SetShowAlert(bool v) { show_alert_ = v; }
    // Cleared when the setup wizard closes.
    bool FirstRun() const { return first_run_; }
    void SetFirstRun(bool v) { first_run_ = v; }

    // $XDG_DATA_HOME/Quorvane/VideoConverterCHS/ (ends with "/"): Config.Xml, av.cfg, Profiles.ini.
    static QString GetAppDataFolder();
    // GetAppDataFolder() + "Config.Xml".
    static QString GetConfigFile();

    // Creates the file with the current values when it does not exist, then reads it. A damaged
    // value throws the reader's error (EOmniXMLPersistent or EPropertyConvertError).
    void Load();
    void LoadFromFile(const QString& file);
    // Creates the folder, applies ThreadPrority to this process (refusals ignored) and writes the
    // file, indented, unless it already holds exactly that. The old file is replaced only by a
    // complete, synced new one; a failure leaves it as it was and throws vc::Error naming the file.
    void Save();
    void SaveToFile(const QString& file);

    // Load as the programs do it at start-up. A value that does not read takes its default, with one
    // warning through the message sink naming every such value; the rest is kept. A file that fails
    // to load (text that is not XML, a cut-off or foreign document) is not fatal and nothing in it is
    // destroyed. The file is renamed to "Config.Xml.bad" (".bad.2" and so on when that exists), the settings
    // go back to their construction values, a fresh file is written, and one warning through the message sink
    // says what went wrong and where the old file is. Returns false after such a recovery, true when the file
    // loaded.
    bool LoadAtStartup();

    // The path of the set-aside file of the last LoadAtStartup recovery, or empty.
    QString SetAsideFile() const { return set_aside_file_; }

private:
    std::unique_ptr<TPerformanceOptions> performance_options_;
    bool shutdown_when_done_ = false;
    QString output_folder_;
    bool show_alert_ = true;
    bool first_run_ = true;
    QString set_aside_file_;
};

// The process's configuration, created on first use. Main thread only.
TAVConfiguration& AVConfiguration();

} // namespace vc
