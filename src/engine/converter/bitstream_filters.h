#pragma once
// Bitstream-filter chains of output streams: a list of filter names applied in order to every
// packet of the stream before it is muxed.
#include "engine/media/ff_handles.h"

#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace vc {

class BitstreamFilterChain {
public:
    // Takes the filter names, one per line. A first line that names no filter shows
    // "Invalid BitstreamFilter <line>" and leaves the chain empty (later lines are not tried);
    // a later unknown line shows the same message and is skipped.
    void Parse(const QStringList& names);
    const std::vector<std::string>& names() const { return names_; }
    bool empty() const { return names_.empty(); }

    // Before the header is written: prepares the chain for the stream's parameters, and the
    // stream takes the chain's output parameters. A chain that does not accept the stream is
    // dropped (its packets then pass unchanged).
    void Init(AVStream* st);

    // Filters one packet (taking its contents) and hands every resulting packet to `write`.
    // Packets the filters refuse are dropped without a message.
    void Filter(AVPacket* pkt, const std::function<void(AVPacket*)>& write);
    // At the end of the stream: hands on what the filters still hold.
    void Flush(const std::function<void(AVPacket*)>& write);
    bool active() const { return ctx_ != nullptr; }

private:
    void Drain(AVPacket* pkt, const std::function<void(AVPacket*)>& write);

    std::vector<std::string> names_;
    BsfContextPtr ctx_;
};

} // namespace vc
