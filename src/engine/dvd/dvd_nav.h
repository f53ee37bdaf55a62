#pragma once
// The DVD navigation layer: fourteen calls over libdvdnav (playback) and libdvdread (the disc's
// IFO tables) that TDvdInfo and TDvdStream are written against.
//
// A "drive" is anything libdvdread opens: an optical device, the mount point of a disc, a disc
// folder or its VIDEO_TS subfolder, or an ISO image. Positions are in 2048-byte blocks counted from
// the start of the playing title's program chain, both in hb_dvdnav_get_position and
// hb_dvdnav_seek.
//
// One handle must be used by one thread at a time; separate handles may be used concurrently.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vc {

// A list of records owned by its title record; items_count mirrors items.size().
template <class T> struct hb_list_t {
    std::vector<std::unique_ptr<T>> items;
    int32_t items_count = 0;

    void Append(std::unique_ptr<T> item) {
        items.push_back(std::move(item));
        items_count = static_cast<int32_t>(items.size());
    }
};

// Item `index` (0-based) of the list, or null outside it.
template <class T> T* hb_list_item(const hb_list_t<T>* list, int index) {
    if (!list || index < 0 || index >= list->items_count)
        return nullptr;
    return list->items[static_cast<size_t>(index)].get();
}

struct hb_chapter_t {
    int32_t index = 0; // chapter number, from 1
    double duration_s = 0;
    int32_t pgcn = 0; // program chain and program the chapter starts in
    int32_t pgn = 0;
};

struct hb_audio_t {
    int32_t index = 0;    // stream number on the disc, from 1
    std::string language; // two-letter code, or empty
    std::string codec;    // "ac3", "mpeg", "lpcm", "dts" or "unknown"
    int32_t channels = 0;
    int32_t sample_rate = 0;
};

struct hb_subtitle_t {
    int32_t index = 0; // stream number on the disc, from 1
    std::string language;
};

// What a title scan found. Stays valid after the handle that scanned it is closed.
struct hb_title_t {
    int32_t index = 0;       // title number on the disc, from 1
    int32_t angle_count = 0; // filled by the scan, overwritten by the readers from playback
    int32_t hours = 0;
    int32_t minutes = 0;
    int32_t seconds = 0;
    hb_list_t<hb_chapter_t> list_chapter;
    hb_list_t<hb_audio_t> list_audio;
    hb_list_t<hb_subtitle_t> list_subtitle;

    double duration_s = 0; // exact, from the cells' playback times
    int32_t title_set = 0;
    int32_t vts_title = 0; // the title's number inside its title set
};

struct hb_dvdnav_t; // opaque

// A handle, or null when the location cannot be opened as a DVD.
hb_dvdnav_t* hb_dvdnav_init(const std::string& location);
// Number of titles, numbered from 1.
int hb_dvdnav_title_count(hb_dvdnav_t* handle);
// Title `title` read from the IFO tables, or null when the title cannot be read (damaged tables,
// a number outside the disc).
std::unique_ptr<hb_title_t> hb_dvdnav_title_scan(hb_dvdnav_t* handle, int title);
// Starts playing `chapter` of the title: non-zero on success. Reads then deliver that chapter from
// its first block.
int hb_dvdnav_start(hb_dvdnav_t* handle, hb_title_t* title, int chapter);
// Number of angles of the started title (1 when unknown).
int hb_dvdnav_angle_count(hb_dvdnav_t* handle);
// Ends playback of the started title.
void hb_dvdnav_stop(hb_dvdnav_t* handle);
// Releases the handle and sets the variable to null.
void hb_dvdnav_close(hb_dvdnav_t** handle);
// Later reads deliver that angle (from 1). Non-zero on success.
int hb_dvdnav_set_angle(hb_dvdnav_t* handle, int angle);
// Chapter number of the block the next read delivers; negative when the started title is over
// (the disc stopped, went to a menu or another title, or replays the title from an earlier cell).
int hb_dvdnav_chapter(hb_dvdnav_t* handle);
// 0: nothing delivered, call again; -1: nothing delivered, look at the chapter again; 1: *length
// bytes (2048) of program-stream data are in the buffer. `buffer` must hold 2048 bytes.
int hb_dvdnav_read(hb_dvdnav_t* handle, uint8_t* buffer, int32_t* length, int32_t* ignored);
// Continues reading at `block` of the started title: 1 on success, 0 when the block lies outside
// the title or the disc refuses.
int hb_dvdnav_seek(hb_dvdnav_t* handle, uint64_t block);
// The current block position and the title's length in blocks: non-zero on success. Right after
// the first block of a chapter was read, the position is that chapter's first block.
int hb_dvdnav_get_position(hb_dvdnav_t* handle, uint32_t* position, uint32_t* length);
// Releases a title record and sets the variable to null.
void hb_title_close(hb_title_t** title);

} // namespace vc
