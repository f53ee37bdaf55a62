#pragma once
// The engine behind TAVConverter: the per-run tables and the steps of one conversion, each step
// in a file of its own (input_files, library_options, output_files, bitstream_filters,
// transcode_setup, packet_loop, stream_copy, packet_writer). All of it runs on the converter's
// worker thread; it reaches the owner only through the converter's event methods.
//
// The road of a conversion:
//   OpenInputs -> ApplyCodecOptions -> OpenOutputs          (Run, before transcoding)
//   SetupTranscode: slot wait, stream mapping, copy or encode, headers
//   PacketLoop: choose an input, read, fix time stamps, ProcessPacket
//       copied streams   -> CopyPacket -> WritePacket
//       decoded streams  -> FramePaths (decode, filter) -> EncodeStage (encode) -> WritePacket
//
// Threads: the run's worker reads, decodes and filters; each encoded audio or video output has an
// EncodeStage, its encoder on a thread of its own fed through a bounded queue of frames, which
// writes its packets under write_mutex_. Copied packets are written on the worker, under the same
// lock. Decoders and encoders add their own frame or slice threads (ThreadCount 0: as many as
// the library chooses).
//   EndTranscode: flush, trailers, final report;  Cleanup always.
#include "engine/converter/bitstream_filters.h"
#include "engine/converter/frame_paths.h"
#include "engine/converter/library_options.h"
#include "engine/converter/output_staging.h"
#include "engine/converter/own_encoders.h"
#include "engine/media/ff_handles.h"
#include "engine/options/string_lists.h"
#include "engine/streams/stream_source.h"
#include "platform/error.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vc {

class TAVConverter;
class TAVConvertOptions;

// Values that outlive a run: the resolved formats and the working output settings, refreshed
// from the options when an output is opened and kept for the next run of the same converter.
struct EngineMemory {
    const AVInputFormat* input_format = nullptr;
    const AVOutputFormat* output_format = nullptr;
    int audio_channels = 0;
    int audio_sample_rate = 0;
    int audio_sample_format = -1; // AVSampleFormat; -1 = not set
    int frame_width = 0;
    int frame_height = 0;
};

struct InputStream {
    int file_index = 0;
    AVStream* st = nullptr;
    bool discard = true; // not (yet) the source of an output stream
    bool discarded_at_demuxer = false;
    bool decoding_needed = false;
    const AVCodec* decoder = nullptr;
    CodecContextPtr dec_ctx; // filled from the stream parameters when opened
    bool decoder_opened = false;
    int64_t next_pts = AV_NOPTS_VALUE; // µs
    int64_t pts = 0;                   // µs
    bool is_start = true;
    Dictionary options;                         // decoder options
    std::unique_ptr<FramePathState> frame_path; // decode state of streams that are not copied
};

// An audio or video stream whose parameters the probe could not learn because it holds no
// packets (a transport stream's silent track, an init segment without its fragments).
bool HoldsNoData(const InputStream& ist);
// "audio stream #0.1": how messages name an input stream.
std::string InputStreamName(const InputStream& ist);

struct InputFile {
    InputContext ctx;
    bool eof_reached = false;
    int first_stream = 0;
    int nb_streams = 0;
    int64_t ts_offset = 0; // µs added to every time stamp read
    bool no_packet = false;
};

struct OutputStream {
    int file_index = 0;
    int stream_index = 0;
    AVStream* st = nullptr;
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    const AVCodec* encoder = nullptr;
    CodecContextPtr enc_ctx;                 // encoder settings (and the encoder once opened)
    Dictionary options;                      // encoder options
    std::unique_ptr<OwnEncoder> own_encoder; // the encoder when `encoder` is one of our own
    int scaler_flags = 0;
    float frame_aspect_ratio = 0;
    AVRational frame_rate{0, 0};
    bool stream_copy = false;
    BitstreamFilterChain bsf;

    int source_index = -1;
    InputStream* sync_input = nullptr;
    bool encoding_needed = false;
    int frame_number = 0;
    int64_t sync_opts = 0;
    int64_t next_dts =
        0; // where the stream stands (end of its latest presentation), stream time base; write_mutex_
    bool encoder_opened = false;
    bool finished = false; // an encoded stream reached the length asked for: nothing more is read for it
    int64_t last_mux_dts = AV_NOPTS_VALUE; // in the stream's time base
    int64_t packets_written = 0;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> log_file{nullptr, &std::fclose}; // first pass
    std::unique_ptr<FramePathState> frame_path; // filter and encode state when not copied
};

struct OutputFile {
    std::string name;
    OutputFormatContextPtr ctx;
    Dictionary options; // format options given to the header writer
    std::vector<std::unique_ptr<OutputStream>> streams;
    bool local = false;        // a file on this machine, written under temp_name until it is complete
    bool sequence = false;     // numbered pictures on this machine, written into the folder temp_name
    std::string path;          // the target on this machine (the name without "file:"), or empty
    std::string temp_name;     // where a local output is written until CommitOutputs moves it into place
    bool created_file = false; // this run opened the file for writing
    bool header_written = false;
    bool committed = false; // complete and in place under its name

    // How messages name the output: its path on this machine, or the name as given.
    const std::string& Shown() const { return path.empty() ? name : path; }
};

// An output file that cannot be opened once the run has its slot: nothing was transcoded, so the
// run fails as one that could not open its files does.
class OutputOpenError : public Error {
public:
    using Error::Error;
};

class ConversionEngine {
public:
    ConversionEngine(TAVConverter& owner, TAVConvertOptions& options, EngineMemory& memory,
                     std::vector<std::string> inputs, std::vector<std::string> outputs);
    ~ConversionEngine();
    ConversionEngine(const ConversionEngine&) = delete;
    ConversionEngine& operator=(const ConversionEngine&) = delete;

    // Run steps 1-6: stream maps, bit-rate options, formats, inputs, library options, outputs.
    void Prepare();
    // Transcode: false when Stop ended the run while it waited for a slot.
    bool SetupTranscode();
    void PacketLoop();
    void EndTranscode();
    // Frees what transcoding set up; always runs.
    void CleanupTranscode();
    // Closes outputs and inputs and empties the tables (FinishRun, and a failed Prepare).
    void CloseFiles();

    // --- steps, public for the frame paths and tests --------------------------------------
    void ResolveFormats();
    void OpenInput(int index);
    void OpenOutput(int index);
    void OpenOutputFile(OutputFile& of);
    // Writes the trailers, closes the files and checks every write, then moves them into place.
    void CommitOutputs();
    void CheckOutputsAreNotInputs() const;
    int ProcessPacket(InputStream& ist, int ist_index, const AVPacket* pkt);
    void CopyPacket(OutputStream& ost, InputStream& ist, const AVPacket* pkt);
    // Any thread: takes the writer's lock. `bytes`, when given, counts the packet's size under it.
    void WritePacket(OutputStream& ost, AVPacket* pkt, int64_t* bytes = nullptr);
    void ReportSize(bool final_report);
    int64_t InputFileSize(int index) const;

    TAVConverter& owner() { return owner_; }
    TAVConvertOptions& options() { return options_; }
    EngineMemory& memory() { return memory_; }
    std::vector<InputFile>& input_files() { return input_files_; }
    std::vector<std::unique_ptr<InputStream>>& input_streams() { return input_streams_; }
    std::vector<OutputFile>& output_files() { return output_files_; }
    std::vector<OutputStream*>& output_streams() { return output_streams_; }
    int64_t working_start_time() const { return working_start_time_; }
    FramePaths* frame_paths();

private:
    void NewVideoStream(OutputFile& of, int file_index);
    void NewAudioStream(OutputFile& of, int file_index);
    void NewSubtitleStream(OutputFile& of, int file_index);
    OutputStream& NewOutputStream(OutputFile& of, int file_index, const AVCodec* encoder, AVMediaType type);
    const AVCodec* ChooseEncoder(OutputFile& of, AVMediaType type, const QString& name, bool copy);
    // Refuses maps that name a missing stream or whose number is not that of the output streams.
    void CheckStreamMaps() const;
    std::string NoStreamText(const OutputFile& of) const;
    void MapStreams();
    // Whether `ist` is a cover picture (a still stored as a one-frame video) that output file
    // `file_index` leaves out of its automatic mapping: it stays a cover only where the output
    // keeps covers (MP3, FLAC), in copies and with explicit maps.
    bool CoverLeftOut(const InputStream& ist, int file_index) const;
    void SetupStreamCopy(OutputStream& ost, InputStream& ist);
    void SetupEncoding(OutputStream& ost, InputStream& ist);
    void CopyChapters(int in_file, int out_file);
    void FlushOutputs();

    TAVConverter& owner_;
    TAVConvertOptions& options_;
    EngineMemory& memory_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    std::vector<StreamMapEntry> stream_maps_;

    LibraryOptions library_options_;
    std::vector<InputFile> input_files_;
    std::vector<std::unique_ptr<InputStream>> input_streams_;
    std::vector<OutputFile> output_files_;
    std::vector<OutputStream*> output_streams_; // over all files, file order then stream order
    int64_t working_start_time_ = 0;            // µs; consumed by the input seek
    int no_packet_count_ = 0;
    PacketPtr packet_;     // the packet being processed
    PacketPtr out_packet_; // the copy step's output packet
    std::unique_ptr<FramePaths> frame_paths_;
    // The packet writer's lock: encode stages write from their own threads. Guards the muxers'
    // writes, every output stream's last_mux_dts, next_dts and packets_written, and the options'
    // byte counters while stages run; the run's thread takes it to read next_dts and sizes.
    mutable std::mutex write_mutex_;
};

// Muxers that store a cover picture as a video stream and whose default picture encoder suits one.
bool MuxerKeepsCovers(const char* muxer);
// "video", "audio", ... for messages; "unknown" for a type without a name.
std::string MediaTypeName(AVMediaType type);

// The video encoder buffer size of the process: only grows (6 × width × height + 1664 for each
// video output seen).
int BitBufferSize();
void GrowBitBufferSize(int width, int height);

} // namespace vc
