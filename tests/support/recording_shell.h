// A shell launcher that records what it was asked to open instead of opening it.
#pragma once

#include "platform/shell.h"

#include <QStringList>

namespace vc::test {

class RecordingShell final : public ShellLauncher {
public:
    bool ShowFolder(const QString& folder) override { return Record("folder " + folder); }
    bool ShowFile(const QString& file) override { return Record("select " + file); }
    bool OpenUrl(const QString& url) override { return Record("open " + url); }
    bool StartProgram(const QString& command) override { return Record("start " + command); }
    QStringList calls;

private:
    bool Record(const QString& call) {
        calls << call;
        return true;
    }
};

} // namespace vc::test
