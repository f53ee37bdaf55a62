// Until decoding and encoding are built, a stream that is not copied fails the run at set-up with
// the filter-graph messages, preceded by a log line that says why.
#include "engine/converter/conversion_engine.h"
#include "engine/converter/converter.h"
#include "platform/error.h"

namespace vc {

namespace {

class PendingFramePaths final : public FramePaths {
public:
    explicit PendingFramePaths(ConversionEngine& engine) : engine_(engine) {}
    void BuildAudioGraph(OutputStream&, InputStream&) override {
        Explain();
        throw Error("Error opening audio filters!");
    }
    void BuildVideoGraph(OutputStream&, InputStream&) override {
        Explain();
        throw Error("Error opening filters!");
    }
    int DecodePacket(InputStream&, int, const AVPacket*) override { return -1; }
    void FlushEncoders() override {}

private:
    void Explain() {
        engine_.owner().LibraryLogLine(16, "re-encoding is not available in this build; copy the streams instead\n");
    }
    ConversionEngine& engine_;
};

} // namespace

std::unique_ptr<FramePaths> CreateFramePaths(ConversionEngine& engine) {
    return std::make_unique<PendingFramePaths>(engine);
}

} // namespace vc
