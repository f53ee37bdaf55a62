#pragma once
// The subcommands of vconv. Each returns the process exit code:
// 0 success, 1 the work failed (message on stderr), 2 usage error, 130 stopped by Ctrl+C.

namespace vc::cli {

int PrintVersion();
int RunConvertCommand(int argc, char** argv);
int RunProbeCommand(int argc, char** argv);
int RunDvdCommand(int argc, char** argv);
int RunDrivesCommand(int argc, char** argv);
int RunConfigCommand(int argc, char** argv);
int RunSnapshotCommand(int argc, char** argv);
int RunProfilesCommand(int argc, char** argv);
int RunBatchCommand(int argc, char** argv);
int RunTasksCommand(int argc, char** argv);
int RunHistoryCommand(int argc, char** argv);
int RunStartCommand(int argc, char** argv);
int RunDeleteCommand(int argc, char** argv);
int RunLogCommand(int argc, char** argv);
int RunClearLogCommand(int argc, char** argv);
int RunCategoriesCommand(int argc, char** argv);

} // namespace vc::cli
