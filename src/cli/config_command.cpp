// vconv config: shows the application settings (Config.Xml) and changes them.
#include "cli/commands.h"

#include "engine/options/option_bounds.h"
#include "model/settings/configuration.h"
#include "platform/process_priority.h"

#include <QCommandLineParser>
#include <QDir>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>
#include <string>

namespace vc::cli {

namespace {

constexpr const char* kUsage =
    "Usage: vconv config [set NAME=VALUE...]\n"
    "\n"
    "Without arguments, prints where the settings file is and the settings in it (the file is\n"
    "created with the default settings on first use).\n"
    "\n"
    "set NAME=VALUE changes settings and saves them. Names (letter case does not matter):\n"
    "  OutputFolder                     default output folder of the wizards\n"
    "  ShowAlert                        show an alert when a conversion completes (true/false)\n"
    "  ShutdownWhenDone                 power off when the last conversion ends (true/false)\n"
    "  PerformanceOptions.ThreadCount   encoder threads per conversion, 0 (automatic) to 32\n"
    "  PerformanceOptions.ThreadPrority process priority, 0 idle, 1 below normal, 2 normal,\n"
    "                                   3 above normal, 4 high, 5 realtime\n"
    "Booleans take true/false, yes/no, on/off or 1/0.\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this help\n";

const char* Bool(bool v) {
    return v ? "true" : "false";
}

std::optional<bool> ParseBool(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == "1" || t == "true" || t == "yes" || t == "on")
        return true;
    if (t == "0" || t == "false" || t == "no" || t == "off")
        return false;
    return std::nullopt;
}

std::optional<int> ParseInt(const QString& text, int min, int max) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

void Print(const TAVConfiguration& c) {
    std::printf("Configuration file: %s\n", qPrintable(TAVConfiguration::GetConfigFile()));
    std::printf("OutputFolder=%s\n", qPrintable(c.OutputFolder()));
    std::printf("ShowAlert=%s\n", Bool(c.ShowAlert()));
    std::printf("ShutdownWhenDone=%s\n", Bool(c.ShutdownWhenDone()));
    std::printf("FirstRun=%s\n", Bool(c.FirstRun()));
    std::printf("PerformanceOptions.ThreadCount=%d\n", c.PerformanceOptions()->ThreadCount());
    std::printf("PerformanceOptions.ThreadPrority=%d\n", c.PerformanceOptions()->ThreadPrority());
}

// Applies one NAME=VALUE; an empty string on success, else what is wrong with it.
std::string Apply(TAVConfiguration& c, const QString& assignment) {
    const qsizetype eq = assignment.indexOf('=');
    if (eq <= 0)
        return "expected NAME=VALUE, not '" + assignment.toStdString() + "'";
    const QString name = assignment.left(eq).trimmed();
    const QString value = assignment.mid(eq + 1);
    auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    auto bad = [&](const std::string& expected) {
        return name.toStdString() + " takes " + expected + ", not '" + value.toStdString() + "'";
    };
    if (is("OutputFolder")) {
        const QString folder = value.trimmed();
        if (folder.isEmpty())
            return "OutputFolder must not be empty";
        c.SetOutputFolder(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
    } else if (is("ShowAlert") || is("ShutdownWhenDone")) {
        const auto v = ParseBool(value);
        if (!v)
            return bad("true or false");
        if (is("ShowAlert"))
            c.SetShowAlert(*v);
        else
            c.SetShutdownWhenDone(*v);
    } else if (is("PerformanceOptions.ThreadCount")) {
        // The range the conversions use (option_bounds.h).
        const auto v = ParseInt(value, 0, kMaxThreadCount);
        if (!v)
            return bad("a whole number from 0 (automatic) to " + std::to_string(kMaxThreadCount));
        c.PerformanceOptions()->SetThreadCount(*v);
    } else if (is("PerformanceOptions.ThreadPrority")) {
        // The levels the process priority knows.
        auto v = ParseInt(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        if (v && !NiceValueForPriorityLevel(*v))
            v.reset();
        if (!v)
            return bad("a priority level from 0 to 5");
        c.PerformanceOptions()->SetThreadPrority(*v);
    } else {
        return "unknown setting '" + name.toStdString() +
               "'; settings: OutputFolder, ShowAlert, ShutdownWhenDone, PerformanceOptions.ThreadCount, "
               "PerformanceOptions.ThreadPrority";
    }
    return {};
}

} // namespace

int RunConfigCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.contains("-h") || args.contains("--help")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    for (const QString& a : args) {
        if (a.startsWith('-')) {
            std::fprintf(stderr, "vconv config: unknown option '%s'\n\n%s", qPrintable(a), kUsage);
            return 2;
        }
    }
    if (!args.isEmpty() && args.first() != "set") {
        std::fprintf(stderr, "vconv config: unknown action '%s'\n\n%s", qPrintable(args.first()), kUsage);
        return 2;
    }
    if (!args.isEmpty() && args.size() < 2) {
        std::fprintf(stderr, "vconv config: set needs at least one NAME=VALUE\n\n%s", kUsage);
        return 2;
    }

    TAVConfiguration& config = AVConfiguration();
    try {
        config.LoadAtStartup(); // a damaged file is set aside with a warning on stderr
        if (args.isEmpty()) {
            Print(config);
            return 0;
        }
        // All or nothing: every assignment is checked before anything is saved.
        for (qsizetype i = 1; i < args.size(); ++i) {
            if (const std::string problem = Apply(config, args[i]); !problem.empty()) {
                std::fprintf(stderr, "vconv config: %s\n", problem.c_str());
                return 2;
            }
        }
        config.Save();
        Print(config);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv config: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
