#pragma once
// One desktop program per user: the first start listens on a local socket in the user's own
// runtime folder; a later start (a file manager's "Open with", a second click on the launcher)
// sends its files there and ends, and the running window raises itself and opens them.
//
// The channel carries nothing but paths: a header line with their count, then each path ended by
// a NUL byte; the answer is "OK\n". The receiving side checks every path again as it checks a
// dropped file, so whatever writes to the socket can only ask for wizards over existing files.
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class QLocalServer;
class QWidget;
class QLocalSocket;

namespace vc::gui {

// The folder that holds the socket: `$XDG_RUNTIME_DIR/videoconverter`, else a folder of the
// user's in the temporary folder; made with mode 0700. Empty (and the program runs on its own)
// when the folder cannot be made or is not the user's alone: a link, another owner, or a mode
// that lets others in.
QString InstanceFolder();

// The files a start names, checked as dropped files are: file: URLs and relative paths become
// absolute local paths (relative ones from `working_folder`); each must be an existing file or
// folder. The rest go to `refused` (when given) and are left out.
QStringList CheckedPaths(const QStringList& arguments, const QString& working_folder,
                         QStringList* refused = nullptr);

// Hands `files` (absolute paths) to the program listening in `folder`. True when it answered:
// this start is done. False when none listens there (or it did not answer in `timeout_ms`).
bool SendToRunningInstance(const QString& folder, const QStringList& files, int timeout_ms = 10000);

// The running program's end of the channel.
class TInstanceServer : public QObject {
    Q_OBJECT

public:
    // The most paths and bytes one request may carry; a longer one is dropped unanswered.
    static constexpr int kMaxPaths = 4096;
    static constexpr qint64 kMaxBytes = 4 * 1024 * 1024;

    explicit TInstanceServer(QObject* parent = nullptr);
    ~TInstanceServer() override;

    // Listens in `folder`. A socket left there by a program that ended is replaced; when another
    // program answers on it, this one does not listen (false).
    bool Listen(const QString& folder);
    QString SocketPath() const;

signals:
    // A later start's request, its paths checked; empty when it named no usable file (the window
    // is raised all the same).
    void FilesReceived(const QStringList& files);

private:
    void Accept();
    void Read(QLocalSocket* socket);

    std::unique_ptr<QLocalServer> server_;
};

// Brings `window` to the front: restored when minimised, raised and activated.
void RaiseWindow(QWidget* window);

} // namespace vc::gui
