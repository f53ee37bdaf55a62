// One program per user: the files a start names, the socket folder that only the user may enter,
// a second start handing its files to the first, and what the channel refuses.
#include "gui/app/application.h"
#include "gui/app/single_instance.h"
#include "support/gui_test.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QUrl>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vc::test {
namespace {

using namespace std::chrono_literals;

QString Q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

int Mode(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

class RuntimeFolder : public ::testing::Test {
protected:
    RuntimeFolder() : previous_(qgetenv("XDG_RUNTIME_DIR")) {
        runtime_ = Q(dir_ / "run");
        QDir().mkpath(runtime_);
        qputenv("XDG_RUNTIME_DIR", runtime_.toUtf8());
    }
    ~RuntimeFolder() override { qputenv("XDG_RUNTIME_DIR", previous_); }

    TempDir dir_;
    QString runtime_;
    QByteArray previous_;
};

TEST(StartFiles, PathsAndUrlsBecomeAbsolutePathsAndTheRestIsRefused) {
    TempDir dir;
    const QString folder = Q(dir.path());
    Touch(folder + "/a b.avi");
    QDir().mkpath(folder + "/clips");
    QStringList refused;
    const QStringList paths = gui::CheckedPaths(
        {"a b.avi", folder + "/./clips/", QUrl::fromLocalFile(folder + "/a b.avi").toString(), "missing.avi",
         "https://example.invalid/a.avi", "file://otherhost/a.avi", ""},
        folder, &refused);
    EXPECT_EQ(paths, QStringList({folder + "/a b.avi", folder + "/clips", folder + "/a b.avi"}));
    EXPECT_EQ(refused,
              QStringList({"missing.avi", "https://example.invalid/a.avi", "file://otherhost/a.avi", ""}));

    gui::StartOptions options;
    int code = -1;
    ASSERT_TRUE(gui::ParseStartOptions({"videoconverter", "--lang", "en", "x.avi", "y.mkv"}, options, code));
    EXPECT_EQ(options.files, QStringList({"x.avi", "y.mkv"}));
}

TEST_F(RuntimeFolder, TheSocketFolderIsTheUsersAlone) {
    const QString folder = gui::InstanceFolder();
    EXPECT_EQ(folder, runtime_ + "/videoconverter");
    EXPECT_EQ(Mode(folder), 0700);
    EXPECT_EQ(gui::InstanceFolder(), folder); // found again as it is

    // A folder others may enter, or a link to one, is not used.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    EXPECT_EQ(gui::InstanceFolder(), QString());
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QDir().mkpath(runtime_ + "/elsewhere");
    ::chmod(QFile::encodeName(runtime_ + "/elsewhere").constData(), 0700);
    ASSERT_TRUE(QFile::link(runtime_ + "/elsewhere", folder));
    EXPECT_EQ(gui::InstanceFolder(), QString());
}

TEST_F(RuntimeFolder, ASecondStartHandsItsFilesToTheFirstAndEndsWithZero) {
    const QString clip = Q(dir_ / "clip.avi");
    Touch(clip);
    gui::TInstanceServer server;
    ASSERT_TRUE(server.Listen(gui::InstanceFolder()));
    // The socket lets nobody else in either.
    EXPECT_EQ(Mode(server.SocketPath()) & 077, 0);
    QSignalSpy received(&server, &gui::TInstanceServer::FilesReceived);

    QProcess second;
    second.setWorkingDirectory(Q(dir_.path()));
    second.start(QStringLiteral(VC_VIDEOCONVERTER_PATH), {"clip.avi", "gone.avi"});
    ASSERT_TRUE(RunEventsUntil([&] { return second.state() == QProcess::NotRunning; }, 30s))
        << "the second start opened a window of its own";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("gone.avi"));
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first().first().toStringList(), QStringList({clip}));

    // Without files it only brings the window up.
    second.start(QStringLiteral(VC_VIDEOCONVERTER_PATH), {});
    ASSERT_TRUE(RunEventsUntil([&] { return second.state() == QProcess::NotRunning; }, 30s));
    EXPECT_EQ(second.exitCode(), 0);
    ASSERT_EQ(received.size(), 2);
    EXPECT_TRUE(received.last().first().toStringList().isEmpty());

    // A second server in the same folder finds the first one answering.
    gui::TInstanceServer other;
    EXPECT_FALSE(other.Listen(gui::InstanceFolder()));
}

TEST_F(RuntimeFolder, TheChannelTakesOnlyExistingAbsolutePaths) {
    const QString clip = Q(dir_ / "clip.avi");
    Touch(clip);
    gui::TInstanceServer server;
    ASSERT_TRUE(server.Listen(gui::InstanceFolder()));
    QSignalSpy received(&server, &gui::TInstanceServer::FilesReceived);

    struct Case {
        QByteArray request;
        bool answered;
        QStringList files;
    };
    const QByteArray path = QFile::encodeName(clip);
    const Case cases[] = {
        {"VCOPEN 3\n" + path + '\0' + "clip.avi" + '\0' + "/no/such/file" + '\0', true, {clip}},
        {"VCOPEN 1\n" + path + '\0' + "extra" + '\0', false, {}}, // more paths than counted
        {"VCOPEN 99999\n", false, {}},                            // too many
        {"RUN /bin/sh\n", false, {}},                             // not a request at all
        {"VCOPEN -1\n", false, {}},
    };
    for (const Case& c : cases) {
        received.clear();
        QLocalSocket socket;
        socket.connectToServer(server.SocketPath());
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(c.request);
        socket.flush();
        QByteArray answer;
        RunEventsUntil(
            [&] {
                answer += socket.readAll();
                return !answer.isEmpty() || socket.state() == QLocalSocket::UnconnectedState;
            },
            5s);
        EXPECT_EQ(answer == "OK\n", c.answered) << c.request.toStdString();
        if (c.answered) {
            ASSERT_EQ(received.size(), 1);
            EXPECT_EQ(received.first().first().toStringList(), c.files);
        } else {
            EXPECT_EQ(received.size(), 0) << c.request.toStdString();
        }
    }
}

TEST_F(RuntimeFolder, ASocketLeftByAnEndedProgramIsReplaced) {
    const QString folder = gui::InstanceFolder();
    const QString path = folder + "/instance";
    // Bound and closed without removing it, as a killed program leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(size_t(encoded.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, encoded.constData(), encoded.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path));

    EXPECT_FALSE(gui::SendToRunningInstance(folder, {}, 1000));
    gui::TInstanceServer server;
    EXPECT_TRUE(server.Listen(folder));
}

} // namespace
} // namespace vc::test
