#include "engine/dvd/dvd_stream.h"

#include "platform/error.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <vector>

namespace vc {

namespace {
// Navigation results in a row that deliver no data after which a read gives the range up: a
// sane disc needs a handful of events between blocks, a broken one may never deliver again.
constexpr int kMaxIdleReads = 1000;
} // namespace

void TDvdStream::NavCloser::operator()(hb_dvdnav_t* h) const {
    hb_dvdnav_stop(h);
    hb_dvdnav_close(&h);
}

TDvdStream::TDvdStream(const std::string& drive, int title_number, int angle, int first_chapter,
                       int last_chapter)
    : drive_(drive), ring_(std::make_unique<TCircularBuffer>(kRingCapacity)), angle_(angle) {
    nav_.reset(hb_dvdnav_init(drive));
    if (!nav_)
        throw Error("Can not open DVD");
    title_ = hb_dvdnav_title_scan(nav_.get(), title_number);
    if (!title_)
        throw Error("Can not open title");
    hb_dvdnav_start(nav_.get(), title_.get(), 1);
    title_->angle_count = hb_dvdnav_angle_count(nav_.get());
    hb_dvdnav_stop(nav_.get());

    const hb_chapter_t* last = hb_list_item(&title_->list_chapter, last_chapter - 1);
    const hb_chapter_t* first = hb_list_item(&title_->list_chapter, first_chapter - 1);
    if (!first || !last || first_chapter > last_chapter)
        throw Error("Can not start chapter");
    last_chapter_ = last->index;
    first_chapter_ = first->index;
    const int chapter_count = title_->list_chapter.items_count;

    // The navigation reports a meaningful position only after a chapter's first block was read.
    uint32_t length = 0;
    if (last_chapter_ < chapter_count) {
        if (!hb_dvdnav_start(nav_.get(), title_.get(), last_chapter_ + 1) || !ReadOneBlock() ||
            !hb_dvdnav_get_position(nav_.get(), &end_block_, &length))
            throw Error("Can not start chapter");
        ring_->Clear();
        hb_dvdnav_stop(nav_.get());
    }
    if (!hb_dvdnav_start(nav_.get(), title_.get(), first_chapter_) || !ReadOneBlock() ||
        !hb_dvdnav_get_position(nav_.get(), &start_block_, &length))
        throw Error("Can not start chapter");
    current_chapter_ = first_chapter_;
    // The block just read is the range's first: it stays in the ring and is the first delivered.
    if (last_chapter_ == chapter_count)
        end_block_ = length;
    if (end_block_ < start_block_)
        throw Error("Can not start chapter");
    hb_dvdnav_set_angle(nav_.get(), angle_);
}

TDvdStream::~TDvdStream() {
    ring_.reset();
    nav_.reset(); // stop, then close
}

bool TDvdStream::ReadOneBlock() {
    uint8_t block[kBlockSize];
    for (int idle = 0; idle < kMaxIdleReads; ++idle) {
        int32_t length = 0, ignored = 0;
        if (hb_dvdnav_read(nav_.get(), block, &length, &ignored) == 1)
            return ring_->WriteData(block, length);
    }
    return false;
}

int32_t TDvdStream::Read(void* buffer, int32_t count) {
    if (count <= 0 || at_end_)
        return 0;
    // Every block read from the disc must fit, so one call is limited to what the ring can gather.
    count = std::min(count, kRingCapacity - kBlockSize);
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t delivered = ring_->DataCount(true);
    if (delivered >= count) {
        ring_->ReadData(out, count);
        return count;
    }
    // What the ring holds goes first. Then whole blocks go straight into the caller's buffer, and
    // only a block that does not fit any more passes through the ring, whose rest waits there for
    // the next call. An empty ring starts over at offset 0, so it keeps using the same few pages.
    ring_->ReadData(out, delivered);
    ring_->Clear();
    uint8_t block[kBlockSize];
    int idle = 0;
    for (;;) {
        const int c = hb_dvdnav_chapter(nav_.get());
        if (seeking_)
            current_chapter_ = c;
        if (c < current_chapter_)
            break; // the disc jumped back
        current_chapter_ = c;
        if (c < 0 || c < first_chapter_ || c > last_chapter_)
            break; // the range is over
        uint8_t* target = count - delivered >= kBlockSize ? out + delivered : block;
        int32_t length = 0, ignored = 0;
        int r = 0;
        while ((r = hb_dvdnav_read(nav_.get(), target, &length, &ignored)) == 0 && idle < kMaxIdleReads)
            ++idle;
        if (r != 1) {
            if (++idle >= kMaxIdleReads) {
                av_log(nullptr, AV_LOG_WARNING, "DVD: no data from title %d chapter %d, stopping\n",
                       title_->index, c);
                break;
            }
            continue;
        }
        idle = 0;
        if (target == block) {
            if (!ring_->WriteData(block, length))
                throw Error("DVD read buffer overflow"); // cannot happen with the limit above
            const int32_t take = std::min(count - delivered, ring_->DataCount(true));
            ring_->ReadData(out + delivered, take);
            delivered += take;
        } else {
            delivered += length;
        }
        if (delivered >= count)
            return count;
    }
    return delivered;
}

int64_t TDvdStream::Seek(int64_t offset, TSeekOrigin origin) {
    struct SeekingFlag {
        bool& flag;
        ~SeekingFlag() { flag = false; }
    } guard{seeking_ = true};
    ring_->Clear();
    if (origin != TSeekOrigin::soBeginning)
        return -1;
    at_end_ = false;
    const int64_t p = std::clamp<int64_t>(offset, 0, remembered_size_);
    if (p > 0 && p == remembered_size_) {
        // The end of the range: there may be no block there to position the disc on.
        at_end_ = true;
        return p;
    }
    const int64_t b = p / kBlockSize;
    if (b == 0) {
        if (!hb_dvdnav_start(nav_.get(), title_.get(), first_chapter_))
            throw Error("Can not start chapter");
        hb_dvdnav_set_angle(nav_.get(), angle_);
    } else if (hb_dvdnav_seek(nav_.get(), start_block_ + static_cast<uint64_t>(b)) != 1) {
        throw Error("Can not seek to block " + std::to_string(start_block_ + b) + " of DVD title " +
                    std::to_string(title_->index));
    }
    // The chapter of the new position, even when no bytes are discarded below.
    current_chapter_ = hb_dvdnav_chapter(nav_.get());
    if (const int32_t skip = static_cast<int32_t>(p % kBlockSize); skip > 0) {
        std::vector<uint8_t> discard(static_cast<size_t>(skip));
        Read(discard.data(), skip);
    }
    return p;
}

int64_t TDvdStream::GetSize() {
    remembered_size_ = static_cast<int64_t>(static_cast<uint32_t>(end_block_ - start_block_)) * kBlockSize;
    return remembered_size_;
}

} // namespace vc
