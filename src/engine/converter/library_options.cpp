#include "engine/converter/library_options.h"

#include "engine/media/show_error.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <cstring>

namespace vc {

namespace {

const AVOption* FindOn(const AVClass* cls, const char* name, int flags) {
    const AVClass* fake = cls;
    return av_opt_find(&fake, name, nullptr, flags, AV_OPT_SEARCH_CHILDREN | AV_OPT_SEARCH_FAKE_OBJ);
}

// Flags options accumulate ("+a" then "+b"); other kinds replace the earlier value.
void Store(Dictionary& dict, const AVOption* option, const std::string& name, const std::string& value) {
    int flags = option && option->type == AV_OPT_TYPE_FLAGS ? AV_DICT_APPEND : 0;
    av_dict_set(dict.address(), name.c_str(), value.c_str(), flags);
}

} // namespace

LibraryOptions::LibraryOptions(int scaler_flags) : scaler_flags_(scaler_flags) {
    Reset();
}

void LibraryOptions::Reset() {
    codec_options_.Clear();
    format_options_.Clear();
    scaler_defaults_.reset(sws_getContext(16, 16, AV_PIX_FMT_YUV420P, 16, 16, AV_PIX_FMT_YUV420P,
                                          scaler_flags_, nullptr, nullptr, nullptr));
}

void LibraryOptions::SetLibraryOption(const std::string& name, const std::string& value) {
    if (const AVOption* o = FindOn(avcodec_get_class(), name.c_str(), 0)) {
        Store(codec_options_, o, name, value);
        return;
    }
    // A media-type letter before a codec option ("ab", "vb") names that option for one kind of
    // stream; FilterCodecOptions hands it to the codecs of that kind.
    if (name.size() > 1 && std::strchr("vas", name[0])) {
        if (const AVOption* o = FindOn(avcodec_get_class(), name.c_str() + 1, 0)) {
            Store(codec_options_, o, name, value);
            return;
        }
    }
    if (const AVOption* o = FindOn(avformat_get_class(), name.c_str(), 0)) {
        Store(format_options_, o, name, value);
        return;
    }
    if (scaler_defaults_ &&
        av_opt_find(scaler_defaults_.get(), name.c_str(), nullptr, 0, AV_OPT_SEARCH_CHILDREN)) {
        if (av_opt_set(scaler_defaults_.get(), name.c_str(), value.c_str(), AV_OPT_SEARCH_CHILDREN) < 0)
            ShowError("No option " + name + " found!");
    }
}

int LibraryOptions::ScalerFlagsValue() const {
    int64_t flags = scaler_flags_;
    if (scaler_defaults_)
        av_opt_get_int(scaler_defaults_.get(), "sws_flags", 0, &flags);
    return static_cast<int>(flags);
}

Dictionary LibraryOptions::FilterCodecOptions(const AVDictionary* dict, AVCodecID codec_id,
                                              bool encoder) const {
    Dictionary result;
    const AVCodec* codec = encoder ? avcodec_find_encoder(codec_id) : avcodec_find_decoder(codec_id);
    int flags = encoder ? AV_OPT_FLAG_ENCODING_PARAM : AV_OPT_FLAG_DECODING_PARAM;
    char prefix = 0;
    const AVMediaType type = codec ? codec->type : avcodec_get_type(codec_id);
    switch (type) {
    case AVMEDIA_TYPE_VIDEO:
        prefix = 'v';
        flags |= AV_OPT_FLAG_VIDEO_PARAM;
        break;
    case AVMEDIA_TYPE_AUDIO:
        prefix = 'a';
        flags |= AV_OPT_FLAG_AUDIO_PARAM;
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        prefix = 's';
        flags |= AV_OPT_FLAG_SUBTITLE_PARAM;
        break;
    default: break;
    }
    const AVClass* codec_class = avcodec_get_class();
    auto known = [&](const char* name) {
        const AVClass* fake = codec_class;
        if (av_opt_find(&fake, name, nullptr, flags, AV_OPT_SEARCH_FAKE_OBJ))
            return true;
        if (codec && codec->priv_class) {
            const AVClass* priv = codec->priv_class;
            return av_opt_find(&priv, name, nullptr, flags, AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
        }
        return false;
    };
    // Two passes: plain names first, then prefixed names, so that a prefixed name ("ab", the
    // audio bit rate) wins over the plain one for its kind of stream.
    const AVDictionaryEntry* e = nullptr;
    while ((e = av_dict_get(dict, "", e, AV_DICT_IGNORE_SUFFIX))) {
        // "b" is the video bit rate: the libraries now list it for audio as well, but the audio
        // bit rate of a conversion is "ab".
        if (type == AVMEDIA_TYPE_AUDIO && std::strcmp(e->key, "b") == 0)
            continue;
        if (known(e->key))
            av_dict_set(result.address(), e->key, e->value, 0);
    }
    e = nullptr;
    while ((e = av_dict_get(dict, "", e, AV_DICT_IGNORE_SUFFIX))) {
        if (prefix && e->key[0] == prefix && e->key[1] && !known(e->key)) {
            const AVClass* fake = codec_class;
            if (av_opt_find(&fake, e->key + 1, nullptr, flags, AV_OPT_SEARCH_FAKE_OBJ))
                av_dict_set(result.address(), e->key + 1, e->value, 0);
        }
    }
    return result;
}

} // namespace vc
