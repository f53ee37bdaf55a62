#include "engine/converter/conversion_engine.h"

#include "engine/converter/converter.h"
#include "engine/converter/legacy_codec_options.h"
#include "engine/options/convert_options.h"
#include "platform/error.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

namespace vc {

namespace {
std::atomic<int> g_bit_buffer_size{262144};
} // namespace

int BitBufferSize() {
    return g_bit_buffer_size.load();
}

void GrowBitBufferSize(int width, int height) {
    const int64_t wanted = 6LL * width * height + 1664;
    int current = g_bit_buffer_size.load();
    while (wanted > current && wanted <= INT32_MAX &&
           !g_bit_buffer_size.compare_exchange_weak(current, static_cast<int>(wanted))) {
    }
}

ConversionEngine::ConversionEngine(TAVConverter& owner, TAVConvertOptions& options, EngineMemory& memory,
                                   std::vector<std::string> inputs, std::vector<std::string> outputs)
    : owner_(owner), options_(options), memory_(memory), inputs_(std::move(inputs)),
      outputs_(std::move(outputs)), library_options_(options.ScalerFlags) {}

ConversionEngine::~ConversionEngine() {
    CleanupTranscode();
    CloseFiles();
}

void ConversionEngine::Prepare() {
    stream_maps_ = ParseStreamMaps(options_.StreamMaps());
    if (options_.AudioOptions()->Bitrate() != 0)
        options_.SetCodecOption("ab", QString::number(options_.AudioOptions()->Bitrate()));
    if (options_.VideoOptions()->Bitrate() != 0)
        options_.SetCodecOption("b", QString::number(options_.VideoOptions()->Bitrate()));
    ResolveFormats();
    for (int i = 0; i < static_cast<int>(inputs_.size()); ++i)
        OpenInput(i);
    // Stored profiles may carry options of older library versions: apply today's equivalents
    // and say in the log what has none.
    for (const QString& line : options_.CodecOptions()) {
        const NameValue nv = SplitNameValue(line);
        const LegacyOptionTranslation t =
            TranslateLegacyCodecOption(nv.name.toStdString(), nv.value.toStdString());
        for (const auto& note : t.notes)
            owner_.DoLog(24, note + "\n");
        for (const auto& option : t.options)
            library_options_.SetLibraryOption(option.name, option.value);
    }
    // Before anything is opened for writing: an output must never be one of the inputs.
    CheckOutputsAreNotInputs();
    for (int i = 0; i < static_cast<int>(outputs_.size()); ++i)
        OpenOutput(i);
}

void ConversionEngine::CloseFiles() {
    for (auto& of : output_files_) {
        // A file this run created but did not complete goes; an earlier file of the name stays.
        const bool remove = of.created_file && !of.committed && !of.temp_name.empty();
        of.streams.clear();
        of.ctx.reset();
        of.options.Clear();
        if (remove) {
            std::error_code ec;
            std::filesystem::remove_all(of.temp_name, ec);
        }
    }
    output_files_.clear();
    output_streams_.clear();
    input_streams_.clear();
    input_files_.clear();
}

} // namespace vc
