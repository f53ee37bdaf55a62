// vconv --progress json: every line on stderr is one JSON object with the run's figures; each
// task's percentages never fall and end at 100 with the state "finished".
#include "integration/cli/tasks_cli_fixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <map>

namespace vc::test {
namespace {

class ProgressJson : public TaskCliTest {};

// The lines per id ("null" for a conversion outside the task list); a line that is not a JSON
// object with every field fails the test.
std::map<QString, std::vector<QJsonObject>> ParseLines(const std::string& err) {
    std::map<QString, std::vector<QJsonObject>> by_id;
    for (const QString& line : QString::fromStdString(err).split('\n', Qt::SkipEmptyParts)) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_TRUE(doc.isObject()) << "not a JSON object: " << line.toStdString();
        const QJsonObject o = doc.object();
        for (const char* key : {"id", "state", "percent", "fps", "bitrate_kbps", "elapsed_s", "time_left_s"})
            EXPECT_TRUE(o.contains(key)) << key << " missing in " << line.toStdString();
        by_id[o["id"].isNull() ? "null" : QString::number(o["id"].toInteger())].push_back(o);
    }
    return by_id;
}

void ExpectRisingTo100(const std::vector<QJsonObject>& lines, const QString& id) {
    ASSERT_FALSE(lines.empty()) << id.toStdString();
    int last = -1;
    for (const QJsonObject& o : lines) {
        const int percent = o["percent"].toInt(-1);
        EXPECT_GE(percent, last) << id.toStdString() << ": the percentage fell";
        EXPECT_LE(percent, 100);
        EXPECT_GE(o["fps"].toDouble(-1), 0);
        last = percent;
    }
    EXPECT_EQ(lines.back()["state"].toString(), "finished") << id.toStdString();
    EXPECT_EQ(lines.back()["percent"].toInt(), 100) << id.toStdString();
    EXPECT_EQ(lines.back()["time_left_s"].toInt(-1), 0) << id.toStdString();
}

TEST_F(ProgressJson, LinesParseAndPercentagesRiseTo100) {
    const std::string a = MakeClip("a.mp4", 20, "640x360").string();
    const std::string b = MakeClip("b.mp4", 3).string();
    const std::string out = (dir_ / "out").string();
    struct Case {
        std::vector<std::string> args;
        QStringList ids; // the ids expected, in any order; "null" outside the task list
    };
    const Case cases[] = {
        {{"convert", a, "-o", out + "/task.avi", "--progress", "json"}, {"1"}},
        {{"convert", a, "-o", out + "/direct.avi", "--no-history", "--progress", "json"}, {"null"}},
        {{"batch", "--profile", "MPEG-4 Video (*.mp4)", "--profile-category", "MP4", "-o", out, "--progress",
          "json", a, b},
         {"2", "3"}},
    };
    for (const Case& c : cases) {
        const ProcessResult r = Vconv(c.args, std::chrono::seconds(240));
        ASSERT_EQ(r.exit_code, 0) << c.args[0] << ": " << r.err;
        const auto by_id = ParseLines(r.err);
        QStringList ids;
        for (const auto& [id, lines] : by_id) {
            ids << id;
            ExpectRisingTo100(lines, id);
        }
        ids.sort();
        EXPECT_EQ(ids, c.ids);
        // The run showed its figures on the way, not only the end.
        bool converting = false;
        for (const auto& [id, lines] : by_id)
            for (const QJsonObject& o : lines)
                converting |= o["state"].toString() == "running" && o["percent"].toInt() < 100;
        EXPECT_TRUE(converting) << c.args[0];
    }

    for (const std::vector<std::string>& refused :
         {std::vector<std::string>{"convert", a, "-o", out + "/x.avi", "--progress", "xml"},
          std::vector<std::string>{"start", "1", "-q", "--progress", "json"}}) {
        const ProcessResult r = Vconv(refused);
        EXPECT_EQ(r.exit_code, 2) << r.err;
    }
}

} // namespace
} // namespace vc::test
