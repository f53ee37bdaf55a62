#include "engine/dvd/dvd_info.h"

#include "platform/error.h"

namespace vc {

namespace {
struct NavCloser {
    void operator()(hb_dvdnav_t* h) const { hb_dvdnav_close(&h); }
};
} // namespace

TDvdTitle::TDvdTitle(const hb_title_t* title) : title_(title) {
    for (const auto& c : title->list_chapter.items)
        chapters_.push_back(std::make_unique<TDvdChapter>(c.get()));
    for (const auto& s : title->list_subtitle.items)
        subtitles_.push_back(std::make_unique<TDvdSubtitle>(s.get()));
    for (const auto& a : title->list_audio.items)
        audio_tracks_.push_back(std::make_unique<TDvdAudio>(a.get()));
}

TDvdInfo::TDvdInfo(const std::string& drive) : drive_(drive) {
    std::unique_ptr<hb_dvdnav_t, NavCloser> nav(hb_dvdnav_init(drive));
    if (!nav)
        throw Error("Can not open DVD");
    const int count = hb_dvdnav_title_count(nav.get());
    for (int n = 1; n <= count; ++n)
        if (auto record = hb_dvdnav_title_scan(nav.get(), n))
            title_records_.push_back(std::move(record));
    for (auto& record : title_records_) {
        // The angle count is what playback reports, not what the title table claims.
        if (hb_dvdnav_start(nav.get(), record.get(), 1))
            record->angle_count = hb_dvdnav_angle_count(nav.get());
        hb_dvdnav_stop(nav.get());
        titles_.push_back(std::make_unique<TDvdTitle>(record.get()));
    }
}

TDvdInfo::~TDvdInfo() {
    titles_.clear();
}

} // namespace vc
