#pragma once
// The navigation handle's insides, shared by the playback and scanning halves of the layer.
#include "engine/dvd/dvd_nav.h"

#include <dvdnav/dvdnav.h>
#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#include <dvdread/ifo_types.h>

namespace vc {

// Events in a row without a data block after which a seek gives up (a sane disc needs a handful).
inline constexpr int kMaxIdleSteps = 1000;

struct hb_dvdnav_t {
    hb_dvdnav_t() = default;
    hb_dvdnav_t(const hb_dvdnav_t&) = delete;
    hb_dvdnav_t& operator=(const hb_dvdnav_t&) = delete;
    ~hb_dvdnav_t();

    dvdnav_t* nav = nullptr;
    dvd_reader_t* reader = nullptr; // for the IFO tables
    ifo_handle_t* vmg = nullptr;
    ifo_handle_t* vts = nullptr; // title set of the started title, for the block-group map
    int vts_number = 0;

    // Playback of the started title.
    int title = 0;                     // 0 when nothing is started
    int start_chapter = 0;             // the chapter it was started at: seeks restart there when they must
    bool ended = true;                 // the started title is over: no more data, chapter -1
    int pgcn = 0;                      // program chain being played
    int cell = 0;                      // last cell entered in that chain
    bool cell_baseline_pending = true; // the next cell change follows a start or seek
    bool cell_entered = false;         // a cell change was seen since the start: positions are valid
};

} // namespace vc
