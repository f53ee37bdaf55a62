// An overlay text holding the graph description's special characters, chained with every other kind
// of filter the program builds: the description goes through the converter's rewrite of stored
// fragments and is linked behind its own deinterlacer and scaler, as a conversion links it. The graph
// must open, have the size the filters give it, and its drawtext filter must draw the typed text.
#include "engine/converter/legacy_filter_fragments.h"
#include "model/filters/video_filters.h"
#include "support/test_env.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace vc {
namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kWidth = 96;
constexpr int kHeight = 64;

// What drawtext draws from its text option: a backslash takes the next character as it is, and
// "%" starts an expansion (which no typed text may cause: then there is no answer).
std::optional<std::string> DrawnText(const std::string& option) {
    std::string out;
    for (size_t i = 0; i < option.size(); ++i) {
        if (option[i] == '\\' && i + 1 < option.size())
            out += option[++i];
        else if (option[i] == '%')
            return std::nullopt;
        else
            out += option[i];
    }
    return out;
}

struct Opened {
    bool ok = false;
    std::string error;
    int width = 0;
    int height = 0;
    std::vector<std::string> texts; // the text option of every drawtext filter
};

// buffer -> yadif -> scale -> [in] description [out] -> buffersink, then configured.
Opened OpenGraph(const std::string& description) {
    Opened result;
    std::unique_ptr<AVFilterGraph, void (*)(AVFilterGraph*)> graph(
        avfilter_graph_alloc(), [](AVFilterGraph* g) { avfilter_graph_free(&g); });
    AVFilterContext* src = nullptr;
    AVFilterContext* yadif = nullptr;
    AVFilterContext* scale = nullptr;
    AVFilterContext* sink = nullptr;
    const std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    if (avfilter_graph_create_filter(
            &src, avfilter_get_by_name("buffer"), "src",
            ("video_size=" + size + ":pix_fmt=yuv420p:time_base=1/25:pixel_aspect=1/1").c_str(), nullptr,
            graph.get()) < 0 ||
        avfilter_graph_create_filter(&yadif, avfilter_get_by_name("yadif"), "deinterlace", "mode=send_frame",
                                     nullptr, graph.get()) < 0 ||
        avfilter_graph_create_filter(
            &scale, avfilter_get_by_name("scale"), "scale",
            ("w=" + std::to_string(kWidth) + ":h=" + std::to_string(kHeight)).c_str(), nullptr,
            graph.get()) < 0 ||
        avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                     graph.get()) < 0 ||
        avfilter_link(src, 0, yadif, 0) < 0 || avfilter_link(yadif, 0, scale, 0) < 0) {
        result.error = "the head of the graph";
        return result;
    }
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    outputs->name = av_strdup("in");
    outputs->filter_ctx = scale;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    const int parsed = avfilter_graph_parse_ptr(graph.get(), description.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (parsed < 0) {
        result.error = "parse: " + std::to_string(parsed);
        return result;
    }
    const int configured = avfilter_graph_config(graph.get(), nullptr);
    if (configured < 0) {
        result.error = "config: " + std::to_string(configured);
        return result;
    }
    result.ok = true;
    result.width = av_buffersink_get_w(sink);
    result.height = av_buffersink_get_h(sink);
    for (unsigned i = 0; i < graph->nb_filters; ++i) {
        if (std::string(graph->filters[i]->filter->name) != "drawtext")
            continue;
        uint8_t* text = nullptr;
        if (av_opt_get(graph->filters[i]->priv, "text", 0, &text) >= 0) {
            result.texts.emplace_back(reinterpret_cast<char*>(text));
            av_free(text);
        }
    }
    return result;
}

// Files of awkward names that the logo and subtitle filters read.
struct Files {
    test::TempDir dir;
    std::string logo;
    std::string subtitles;
    Files() {
        logo = (dir / "logo, it's [1]; a:b.png").string();
        subtitles = (dir / "subs, it's.srt").string();
        EXPECT_EQ(test::RunProcess("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:size=16x16",
                                              "-frames:v", "1", logo})
                      .exit_code,
                  0);
        QFile f(QString::fromStdString(subtitles));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("1\n00:00:00,000 --> 00:00:05,000\nHello\n");
    }
};

Files& SharedFiles() {
    static Files files;
    return files;
}

struct Kind {
    const char* name;
    // The filters of the wizard's list, with the overlay text among them.
    std::function<std::vector<std::unique_ptr<TAVFilter>>(std::unique_ptr<TAVFilter> text)> filters;
    const char* user_graph; // what --vf adds before the built filters, or ""
    int width;              // of the output
    int height;
};

std::unique_ptr<TAVFilter> Standard(bool vflip, bool hflip, bool box, std::optional<int> degrees) {
    auto f = std::make_unique<TVideoStdFilter>();
    f->SetVerticalFilp(vflip);
    f->SetHorizontalFilip(hflip);
    if (box) {
        f->SetDrawBox(true);
        f->SetBX(2);
        f->SetBY(2);
        f->SetBWidth(10);
        f->SetBHeight(10);
        f->SetBColor("Red");
    }
    if (degrees) {
        f->SetRotate(true);
        f->SetDegree(*degrees);
    }
    return f;
}

template <typename... F> std::vector<std::unique_ptr<TAVFilter>> List(F... filters) {
    std::vector<std::unique_ptr<TAVFilter>> list;
    (list.push_back(std::move(filters)), ...);
    return list;
}

std::unique_ptr<TAVFilter> Logo() {
    auto f = std::make_unique<TLogoFilter>();
    f->SetLogoFile(QString::fromStdString(SharedFiles().logo));
    f->SetX(4);
    f->SetY(4);
    return f;
}

std::unique_ptr<TAVFilter> Subtitles() {
    auto f = std::make_unique<TSubtitleFilter>();
    f->SetSubtitleFile(QString::fromStdString(SharedFiles().subtitles));
    f->SetFontFile(kFont);
    f->SetFontColor(0xFFFFFF);
    return f;
}

const Kind kKinds[] = {
    {"text alone", [](auto t) { return List(std::move(t)); }, "", kWidth, kHeight},
    {"rotate 90 after", [](auto t) { return List(std::move(t), Standard(false, false, false, 90)); }, "",
     kHeight, kWidth},
    {"rotate 270 before", [](auto t) { return List(Standard(false, false, false, 270), std::move(t)); }, "",
     kHeight, kWidth},
    {"rotate 180", [](auto t) { return List(std::move(t), Standard(false, false, false, 180)); }, "", kWidth,
     kHeight},
    {"rotate 45", [](auto t) { return List(std::move(t), Standard(false, false, false, 45)); }, "", kWidth,
     kHeight},
    {"flips, box and rotation", [](auto t) { return List(std::move(t), Standard(true, true, true, 90)); }, "",
     kHeight, kWidth},
    {"logo and rotation",
     [](auto t) { return List(Logo(), std::move(t), Standard(false, false, false, 90)); }, "", kHeight,
     kWidth},
    {"text, logo, rotation",
     [](auto t) { return List(std::move(t), Logo(), Standard(true, false, false, 90)); }, "", kHeight,
     kWidth},
    {"subtitles and rotation",
     [](auto t) { return List(Subtitles(), std::move(t), Standard(false, false, false, 90)); }, "", kHeight,
     kWidth},
    {"user crop and rotation", [](auto t) { return List(std::move(t), Standard(false, false, false, 90)); },
     "crop=iw-16:ih-16", kHeight - 16, kWidth - 16},
    {"user pad", [](auto t) { return List(std::move(t)); }, "pad=w=iw+16:h=ih+8:color='black'", kWidth + 16,
     kHeight + 8},
    {"user resize and rotation", [](auto t) { return List(std::move(t), Standard(false, false, false, 90)); },
     "scale=w=48:h=32", 32, 48},
};

const char* const kTexts[] = {
    "it's",
    "10:30 it's \\ me",
    "a,b",
    "C:\\dir\\",
    "'",
    "''",
    "x',\\:y",
    "it's 10:30, \\ 50% [a];b 'q' =",
    " blanks at both ends ",
};

class TextWithFilters : public ::testing::TestWithParam<std::tuple<const char*, Kind>> {};

TEST_P(TextWithFilters, OpensAndDrawsTheTypedText) {
    if (!std::filesystem::exists(kFont))
        GTEST_SKIP() << "no DejaVu font installed";
    const std::string typed = std::get<0>(GetParam());
    const Kind& kind = std::get<1>(GetParam());
    auto text = std::make_unique<TOverlayTextFilter>();
    text->SetText(QString::fromStdString(typed));
    text->SetFontFile(kFont);
    text->SetFontSize(12);
    text->SetX(2);
    text->SetY(2);
    text->SetFontColor(0xFFFFFF);
    const std::vector<std::unique_ptr<TAVFilter>> filters = kind.filters(std::move(text));
    QList<const TAVFilter*> list;
    for (const auto& f : filters)
        list << f.get();
    // The command line joins its --vf graph and the built filters with a comma.
    QString stored = BuildVideoFilters(list);
    if (*kind.user_graph)
        stored = QString::fromUtf8(kind.user_graph) + ',' + stored;
    const std::string description = RewriteLegacyFilterFragments(stored.toStdString());
    SCOPED_TRACE("stored: " + stored.toStdString() + "\ngraph: " + description);

    const Opened graph = OpenGraph(description);
    ASSERT_TRUE(graph.ok) << graph.error;
    EXPECT_EQ(graph.width, kind.width);
    EXPECT_EQ(graph.height, kind.height);
    ASSERT_EQ(graph.texts.size(), 1u);
    EXPECT_EQ(DrawnText(graph.texts[0]), typed) << "option: " << graph.texts[0];
}

INSTANTIATE_TEST_SUITE_P(Texts, TextWithFilters,
                         ::testing::Combine(::testing::ValuesIn(kTexts), ::testing::ValuesIn(kKinds)));

} // namespace
} // namespace vc
