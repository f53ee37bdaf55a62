#include "gui/app/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vc::gui {

namespace {

constexpr char kSocketName[] = "instance";
constexpr char kHeader[] = "VCOPEN ";
constexpr char kAnswer[] = "OK\n";
// A request that has not arrived whole by then is dropped.
constexpr int kReadTimeoutMs = 5000;

// The folder exists (or is made) as a real folder of this user that nobody else may enter.
bool UsersOwnFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// An absolute path of an existing file or folder, cleaned; empty when it is not one.
QString CheckedPath(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || path.contains(QChar(0)))
        return {};
    const QFileInfo info(path);
    if (!info.exists() || !(info.isFile() || info.isDir()))
        return {};
    return QDir::cleanPath(info.absoluteFilePath());
}

} // namespace

QString InstanceFolder() {
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString folder;
    if (!base.isEmpty() && QDir::isAbsolutePath(base) && QFileInfo(base).isDir())
        folder = base + "/videoconverter";
    else
        folder = QDir::tempPath() + QStringLiteral("/videoconverter-%1").arg(::getuid());
    return UsersOwnFolder(folder) ? folder : QString();
}

QStringList CheckedPaths(const QStringList& arguments, const QString& working_folder, QStringList* refused) {
    QStringList paths;
    for (const QString& argument : arguments) {
        QString path = argument;
        if (argument.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
            const QUrl url(argument);
            path = url.isLocalFile() ? url.toLocalFile() : QString();
        } else if (!argument.isEmpty() && QDir::isRelativePath(argument)) {
            path = QDir(working_folder).absoluteFilePath(argument);
        }
        const QString checked = CheckedPath(path);
        if (checked.isEmpty()) {
            if (refused)
                *refused << argument;
            continue;
        }
        paths << checked;
    }
    return paths;
}

bool SendToRunningInstance(const QString& folder, const QStringList& files, int timeout_ms) {
    if (folder.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(folder + "/" + kSocketName);
    if (!socket.waitForConnected(timeout_ms))
        return false;
    QByteArray request = kHeader + QByteArray::number(files.size()) + "\n";
    for (const QString& file : files)
        request += QFile::encodeName(file) + '\0';
    socket.write(request);
    QElapsedTimer clock;
    clock.start();
    QByteArray answer;
    while (answer.size() < qsizetype(sizeof kAnswer - 1) && clock.elapsed() < timeout_ms) {
        if (socket.bytesToWrite() > 0)
            socket.waitForBytesWritten(50);
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(50) &&
            socket.state() != QLocalSocket::ConnectedState)
            break;
        answer += socket.readAll();
    }
    return answer.startsWith(kAnswer);
}

TInstanceServer::TInstanceServer(QObject* parent) : QObject(parent) {}

TInstanceServer::~TInstanceServer() = default;

QString TInstanceServer::SocketPath() const {
    return server_ ? server_->fullServerName() : QString();
}

bool TInstanceServer::Listen(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QString path = folder + "/" + kSocketName;
    // Listening puts a new socket in place of one that is there (it is made beside it and renamed),
    // so a program that answers on it is asked first; a socket nobody answers on is what an ended
    // program left behind.
    if (QFileInfo::exists(path)) {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(1000))
            return false;
        QLocalServer::removeServer(path);
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        server_.reset();
        return false;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, &TInstanceServer::Accept);
    return true;
}

void TInstanceServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        QTimer::singleShot(kReadTimeoutMs, socket, [socket] { socket->abort(); });
        Read(socket); // what arrived with the connection
    }
}

void TInstanceServer::Read(QLocalSocket* socket) {
    // The request so far is kept on the socket until it is whole.
    QByteArray buffer = socket->property("request").toByteArray() + socket->readAll();
    if (buffer.size() > kMaxBytes) {
        socket->abort();
        return;
    }
    const qsizetype line_end = buffer.indexOf('\n');
    if (line_end < 0) {
        if (buffer.size() > 32 || !QByteArray(kHeader).startsWith(buffer.left(sizeof kHeader - 1)))
            socket->abort();
        else
            socket->setProperty("request", buffer);
        return;
    }
    bool number = false;
    const QByteArray header = buffer.left(line_end);
    const int count = header.startsWith(kHeader) ? header.mid(sizeof kHeader - 1).toInt(&number) : -1;
    if (!number || count < 0 || count > kMaxPaths) {
        socket->abort();
        return;
    }
    const QList<QByteArray> parts = buffer.mid(line_end + 1).split('\0');
    // split() leaves the text after the last NUL as a last part: whole when it is empty.
    if (parts.size() - 1 < count) {
        socket->setProperty("request", buffer);
        return;
    }
    if (parts.size() - 1 > count || !parts.last().isEmpty()) {
        socket->abort();
        return;
    }
    socket->setProperty("request", QByteArray());
    QStringList files;
    for (int i = 0; i < count; ++i)
        if (const QString checked = CheckedPath(QFile::decodeName(parts[i])); !checked.isEmpty())
            files << checked;
    socket->write(kAnswer);
    socket->flush();
    socket->disconnectFromServer();
    emit FilesReceived(files);
}

void RaiseWindow(QWidget* window) {
    if (!window)
        return;
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace vc::gui
