#include "model/filters/video_filters.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <filesystem>

namespace vc {

// The graph text is read by the real filter parser: the text drawn from the escaped fragment must
// equal the same text drawn from a file, which needs no escaping at all.
TEST(VideoFilters, DrawtextRendersTypedTextExactly) {
    const char* font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(font))
        GTEST_SKIP() << "no DejaVu font installed";
    test::TempDir dir;
    const QString typed = QString::fromUtf8("it's 10:30, \\ 50% [a];b 'q' =\r\nline two");
    {
        QFile f(QString::fromStdString((dir / "text.txt").string()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QString expected = typed;
        f.write(expected.replace("\r\n", "\n").toUtf8());
    }
    TOverlayTextFilter filter;
    filter.SetText(typed);
    filter.SetFontFile(font);
    filter.SetX(4);
    filter.SetY(4);
    filter.SetFontSize(16);
    filter.SetFontColor(0xFFFFFF);
    const QString graph = BuildVideoFilters({&filter});
    const QString reference =
        QStringLiteral("drawtext=fontfile=%1:textfile=%2:expansion=none:x=4:y=4:fontsize=16:"
                       "fontcolor=0xFFFFFFFF:boxcolor=0x00000000")
            .arg(font, QString::fromStdString((dir / "text.txt").string()));
    auto render = [&](const QString& vf, const std::string& out) {
        QProcess p;
        p.start("ffmpeg",
                {"-v", "error", "-y", "-f", "lavfi", "-i", "color=c=black:s=320x80:d=0.04", "-vf", vf,
                 "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", QString::fromStdString(out)});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString()
                                   << "\ngraph: " << vf.toStdString();
        QFile f(QString::fromStdString(out));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray ours = render(graph, (dir / "ours.raw").string());
    const QByteArray theirs = render(reference, (dir / "ref.raw").string());
    ASSERT_EQ(ours.size(), 320 * 80);
    EXPECT_TRUE(ours == theirs) << "graph: " << graph.toStdString();
    EXPECT_NE(ours, QByteArray(320 * 80, '\0')); // something was drawn
}

} // namespace vc
