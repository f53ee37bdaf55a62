#include "engine/converter/legacy_codec_options.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <map>

namespace vc {

namespace {

// A flag token of "flags"/"flags2" that became an option of its own (mostly private options of
// libx264, mpegvideo and h263 encoders). Value for "+token" and for "-token".
struct MovedFlag {
    const char* option;
    const char* on;
    const char* off;
};

const std::map<std::string, MovedFlag, std::less<>>& MovedFlags() {
    static const std::map<std::string, MovedFlag, std::less<>> table = {
        // flags
        {"scan_offset", {"scan_offset", "1", "0"}},
        {"naq", {"mpv_flags", "+naq", "-naq"}},
        {"cbp", {"mpv_flags", "+cbp_rd", "-cbp_rd"}},
        {"qprd", {"mpv_flags", "+qp_rd", "-qp_rd"}},
        {"mv0", {"mpv_flags", "+mv0", "-mv0"}},
        {"aic", {"aic", "1", "0"}},
        {"umv", {"umv", "1", "0"}},
        {"obmc", {"obmc", "1", "0"}},
        {"alt", {"alternate_scan", "1", "0"}},
        {"trell", {"trellis", "1", "0"}},
        {"gmc", {"gmc", "1", "0"}},
        {"part", {"data_partitioning", "1", "0"}},
        {"ss", {"structured_slices", "1", "0"}},
        {"svcd_scan_offset", {"scan_offset", "1", "0"}},
        // flags2
        {"mixed_refs", {"mixed-refs", "1", "0"}},
        {"wpred", {"weightb", "1", "0"}},
        {"dct8x8", {"8x8dct", "1", "0"}},
        {"fastpskip", {"fast-pskip", "1", "0"}},
        {"mbtree", {"mbtree", "1", "0"}},
        {"bpyramid", {"b-pyramid", "normal", "none"}},
        {"aud", {"aud", "1", "0"}},
        {"psy", {"psy", "1", "0"}},
        {"ssim", {"ssim", "1", "0"}},
        {"intra_refresh", {"intra-refresh", "1", "0"}},
        {"non_linear_q", {"non_linear_quant", "1", "0"}},
        {"skiprd", {"mpv_flags", "+skip_rd", "-skip_rd"}},
        {"strict_gop", {"mpv_flags", "+strict_gop", "-strict_gop"}},
        {"drop_frame_timecode", {"drop_frame_timecode", "1", "0"}},
        {"sgop", {"mpv_flags", "+strict_gop", "-strict_gop"}},
        {"brdo", {"", "", ""}},    // gone without a replacement
        {"reorder", {"", "", ""}}, // the encoder always reorders now
    };
    return table;
}

// Whether `token` is a named constant of the flags option `option` of AVCodecContext today.
bool IsCurrentFlag(std::string_view option, std::string_view token) {
    const AVClass* cls = avcodec_get_class();
    const AVOption* opt = av_opt_find(&cls, std::string(option).c_str(), nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ);
    if (!opt || !opt->unit)
        return false;
    const AVOption* constant =
        av_opt_find(&cls, std::string(token).c_str(), opt->unit, 0, AV_OPT_SEARCH_FAKE_OBJ);
    return constant && constant->type == AV_OPT_TYPE_CONST;
}

struct FlagToken {
    char sign; // '+', '-' or 0 for a bare token (which sets the flags to exactly that token)
    std::string name;
};

std::vector<FlagToken> SplitFlags(std::string_view value) {
    std::vector<FlagToken> tokens;
    size_t i = 0;
    while (i < value.size()) {
        char sign = 0;
        if (value[i] == '+' || value[i] == '-')
            sign = value[i++];
        size_t end = value.find_first_of("+-", i);
        if (end == std::string_view::npos)
            end = value.size();
        if (end > i)
            tokens.push_back({sign, std::string(value.substr(i, end - i))});
        i = end;
    }
    return tokens;
}

std::string Line(std::string_view name, std::string_view value) {
    return std::string(name) + "=" + std::string(value);
}

void Merge(std::vector<LibraryOption>& options, const std::string& name, const std::string& value) {
    // Several tokens can land in one flags option (mpv_flags=+naq and +qp_rd): append, as a
    // flags option would have been appended to.
    auto it = std::find_if(options.begin(), options.end(), [&](const auto& o) { return o.name == name; });
    if (it != options.end() && (value.starts_with('+') || value.starts_with('-')))
        it->value += value;
    else if (it != options.end())
        it->value = value;
    else
        options.push_back({name, value});
}

LegacyOptionTranslation TranslateFlags(std::string_view name, std::string_view value) {
    LegacyOptionTranslation result;
    std::string kept;
    for (const auto& token : SplitFlags(value)) {
        if (IsCurrentFlag(name, token.name)) {
            if (token.sign)
                kept += token.sign;
            else if (!kept.empty())
                kept += '+';
            kept += token.name;
            continue;
        }
        auto moved = MovedFlags().find(token.name);
        if (moved != MovedFlags().end() && moved->second.option[0] != '\0') {
            Merge(result.options, moved->second.option,
                  token.sign == '-' ? moved->second.off : moved->second.on);
            continue;
        }
        result.notes.push_back("Codec option " + Line(name, value) + ": the flag \"" + token.name +
                               "\" no longer exists and is ignored");
    }
    if (!kept.empty())
        result.options.insert(result.options.begin(), {std::string(name), kept});
    return result;
}

// "+parti8x8+parti4x4-partp4x4" -> "i8x8,i4x4" (the partitions libx264 takes today).
LegacyOptionTranslation TranslatePartitions(std::string_view value) {
    static const std::map<std::string, std::string, std::less<>> names = {{"parti4x4", "i4x4"},
                                                                          {"parti8x8", "i8x8"},
                                                                          {"partp4x4", "p4x4"},
                                                                          {"partp8x8", "p8x8"},
                                                                          {"partb8x8", "b8x8"}};
    LegacyOptionTranslation result;
    std::vector<FlagToken> tokens = SplitFlags(value);
    bool legacy =
        std::any_of(tokens.begin(), tokens.end(), [&](const auto& t) { return names.count(t.name); });
    if (!legacy) {
        result.options.push_back({"partitions", std::string(value)});
        return result;
    }
    std::string list;
    for (const auto& t : tokens) {
        auto it = names.find(t.name);
        if (it == names.end()) {
            result.notes.push_back("Codec option partitions=" + std::string(value) + ": \"" + t.name +
                                   "\" is not a partition type and is ignored");
            continue;
        }
        if (t.sign == '-')
            continue;
        if (!list.empty())
            list += ',';
        list += it->second;
    }
    result.options.push_back({"partitions", list.empty() ? "none" : list});
    return result;
}

} // namespace

std::string CurrentEncoderName(std::string_view name) {
    if (name == "libfaac")
        return "aac";
    return std::string(name);
}

LegacyOptionTranslation TranslateLegacyCodecOption(std::string_view name, std::string_view value) {
    LegacyOptionTranslation result;
    if (name == "flags" || name == "flags2")
        return TranslateFlags(name, value);
    if (name == "partitions")
        return TranslatePartitions(value);
    if (name == "directpred") {
        static const char* modes[] = {"none", "spatial", "temporal", "auto"};
        int mode = -1;
        try {
            mode = std::stoi(std::string(value));
        } catch (...) {
        }
        if (mode >= 0 && mode <= 3)
            result.options.push_back({"direct-pred", modes[mode]});
        else
            result.options.push_back({"direct-pred", std::string(value)});
        return result;
    }
    if (name == "cqp") {
        result.options.push_back({"qp", std::string(value)});
        return result;
    }
    if (name == "me_method") {
        // libx264 still takes its own search names; the MPEG-family encoders moved to motion_est.
        if (value == "epzs" || value == "zero" || value == "xone")
            result.options.push_back({"motion_est", std::string(value)});
        else if (value == "full" || value == "log" || value == "phods" || value == "x1")
            result.options.push_back({"motion_est", "epzs"});
        else
            result.options.push_back({"me_method", std::string(value)});
        return result;
    }
    if (name == "nr") {
        result.options.push_back({"noise_reduction", std::string(value)});
        return result;
    }
    result.options.push_back({std::string(name), std::string(value)});
    return result;
}

} // namespace vc
