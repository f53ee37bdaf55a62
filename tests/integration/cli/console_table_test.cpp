// vconv's tables: captions in the locale's language, columns lined up by terminal cells.
#include "tasks_cli_fixture.h"

#include <QString>
#include <QStringList>

namespace vc::test {
namespace {

// Terminal cells of the texts this test prints: its CJK characters take two, the rest one.
int Cells(const QString& text) {
    int cells = 0;
    for (const QChar c : text)
        cells += c.unicode() >= 0x2e80 ? 2 : 1;
    return cells;
}

TEST_F(TaskCliTest, TableCaptionsFollowTheLocaleAndWideCharactersLineUp) {
    const std::string films = (dir_ / "films").string();
    const std::string cjk = (dir_ / "电影").string();
    ASSERT_EQ(Vconv({"categories", "add", "电影频道", cjk}).exit_code, 0);
    ASSERT_EQ(Vconv({"categories", "add", "Films", films}).exit_code, 0);

    struct Case {
        const char* locale;
        QString category, folder;
    };
    const Case cases[] = {
        {"zh_CN.UTF-8", QStringLiteral("分类"), QStringLiteral("文件夹")},
        {"en_US.UTF-8", "Category", "Folder"},
        {"C", "Category", "Folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        setenv("LC_ALL", c.locale, 1);
        const ProcessResult r = Vconv({"categories"});
        unsetenv("LC_ALL");
        ASSERT_EQ(r.exit_code, 0) << r.err;
        const QStringList lines = QString::fromStdString(r.out).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 4) << r.out; // captions, the root, and the two added
        EXPECT_TRUE(lines[0].startsWith("ID")) << r.out;
        EXPECT_TRUE(lines[0].contains(c.category)) << r.out;

        // Every row's folder starts in the same terminal column as the caption above it.
        const int folder_column = Cells(lines[0].left(lines[0].indexOf(c.folder)));
        for (const QString& line : lines.mid(1)) {
            const int at = line.indexOf('/');
            ASSERT_GT(at, 0) << line.toStdString();
            EXPECT_EQ(Cells(line.left(at)), folder_column) << r.out;
        }
        EXPECT_TRUE(r.out.find(cjk) != std::string::npos) << r.out;
    }
}

} // namespace
} // namespace vc::test
