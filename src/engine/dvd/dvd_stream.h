#pragma once
// The MPEG program stream of one DVD title, limited to a range of chapters and played at one
// angle, as a read-only seekable stream. Register it as a "stream:" source to convert or preview
// it like a file. One reader at a time: the stream keeps one reading position.
#include "engine/dvd/dvd_nav.h"
#include "engine/streams/circular_buffer.h"
#include "engine/streams/stream.h"

#include <memory>
#include <string>

namespace vc {

class TDvdStream : public TStream {
public:
    // 24300 DVD blocks.
    static constexpr int32_t kRingCapacity = 49766400;
    static constexpr int32_t kBlockSize = 2048;

    // `title_number` is a title record's number; `angle`, `first_chapter` and `last_chapter` are
    // 1-based positions (1 to the angle count, 1 to the chapter count). Throws vc::Error with
    // "Can not open DVD", "Can not open title" or "Can not start chapter".
    TDvdStream(const std::string& drive, int title_number, int angle, int first_chapter, int last_chapter);
    ~TDvdStream() override;

    // Delivers the range's bytes in order; 0 once the range is over. One call returns at most
    // kRingCapacity - kBlockSize bytes.
    int32_t Read(void* buffer, int32_t count) override;
    // Only seeks from the beginning are served (others return -1); a position past the end lands
    // at the size last returned by GetSize. Throws vc::Error when the disc refuses the seek.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // (EndBlock - StartBlock) * 2048; also remembered as the limit for seeks.
    int64_t GetSize() override;

    const std::string& Drive() const { return drive_; }
    int Angle() const { return angle_; }
    int FirstChapter() const { return first_chapter_; }
    int LastChapter() const { return last_chapter_; }
    int CurrentChapter() const { return current_chapter_; }
    uint32_t StartBlock() const { return start_block_; }
    uint32_t EndBlock() const { return end_block_; }
    const hb_title_t* Title() const { return title_.get(); }

private:
    struct NavCloser {
        void operator()(hb_dvdnav_t* h) const;
    };
    // Reads the next data block into the ring; false when none came.
    bool ReadOneBlock();

    std::string drive_;
    std::unique_ptr<TCircularBuffer> ring_;
    std::unique_ptr<hb_dvdnav_t, NavCloser> nav_;
    std::unique_ptr<hb_title_t> title_;
    int angle_ = 1;
    int first_chapter_ = 0;
    int last_chapter_ = 0;
    int64_t remembered_size_ = 0;
    int current_chapter_ = 0;
    uint32_t start_block_ = 0;
    uint32_t end_block_ = 0;
    bool seeking_ = false;
    bool at_end_ = false; // positioned at the end by a seek: reads deliver nothing
};

} // namespace vc
