// The checks of the stream maps against the inputs and the output streams, with messages that
// say what is there: the streams of an input a map names, the streams an output was given.
#include "engine/converter/conversion_engine.h"
#include "platform/error.h"

extern "C" {
#include <libavutil/avutil.h>
}

#include <cstring>
#include <string>

namespace vc {

namespace {

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string MediaTypeName(AVMediaType type) {
    const char* name = av_get_media_type_string(type);
    return name ? name : "unknown";
}

bool MuxerKeepsCovers(const char* muxer) {
    return std::strcmp(muxer, "mp3") == 0 || std::strcmp(muxer, "flac") == 0;
}

void ConversionEngine::CheckStreamMaps() const {
    if (stream_maps_.empty())
        return;
    // A map naming a stream that does not exist says which streams the input has.
    for (const auto& e : stream_maps_) {
        std::string head = "Could not find input stream #" + std::to_string(e.file_index) + "." +
                           std::to_string(e.stream_index);
        if (e.file_index < 0 || e.file_index >= static_cast<int>(input_files_.size()))
            throw Error(head + ": there is no input file " + std::to_string(e.file_index) + " (" +
                        Plural(input_files_.size(), "input file", "input files") + ", counted from 0)");
        const InputFile& file = input_files_[e.file_index];
        if (e.stream_index >= 0 && e.stream_index < file.nb_streams)
            continue;
        std::string streams;
        for (int i = 0; i < file.nb_streams; ++i)
            streams += std::string(i ? ", " : "") + "#" + std::to_string(e.file_index) + "." +
                       std::to_string(i) + " " +
                       MediaTypeName(input_streams_[file.first_stream + i]->st->codecpar->codec_type);
        throw Error(head + ": input file " + std::to_string(e.file_index) + " (" + inputs_[e.file_index] +
                    ") has " + Plural(file.nb_streams, "stream", "streams") +
                    (streams.empty() ? "" : ": " + streams));
    }
    if (stream_maps_.size() == output_streams_.size())
        return;
    // The output streams come from the format and the options, not from the maps: name them, and
    // how one is left out.
    std::string streams;
    std::string leave_out;
    for (size_t k = 0; k < output_streams_.size(); ++k) {
        const OutputStream& ost = *output_streams_[k];
        const OutputFile& of = output_files_[ost.file_index];
        streams += std::string(k ? ", " : "") + "#" + std::to_string(ost.file_index) + "." +
                   std::to_string(ost.stream_index) + " " + MediaTypeName(ost.type);
        if (ost.encoder)
            streams += std::string(" (") + ost.encoder->name +
                       (ost.type == AVMEDIA_TYPE_VIDEO && MuxerKeepsCovers(of.ctx->oformat->name)
                            ? ", a cover picture)"
                            : ")");
        const char* option = ost.type == AVMEDIA_TYPE_VIDEO      ? "VideoOptions.VideoDisable=1"
                             : ost.type == AVMEDIA_TYPE_AUDIO    ? "AudioOptions.AudioDisable=1"
                             : ost.type == AVMEDIA_TYPE_SUBTITLE ? "SubtitleOptions.SubtitleDisable=1"
                                                                 : nullptr;
        if (option && leave_out.find(option) == std::string::npos)
            leave_out += std::string(leave_out.empty() ? "" : " or ") + option;
    }
    std::string message = "Number of stream maps must match number of output streams: " +
                          Plural(stream_maps_.size(), "map", "maps") + " for " +
                          Plural(output_streams_.size(), "output stream", "output streams") +
                          (streams.empty() ? "" : " (" + streams + ")") +
                          "; give one map per output stream in this order";
    if (!leave_out.empty())
        message += ", or leave a stream out with " + leave_out;
    throw Error(message);
}

} // namespace vc
