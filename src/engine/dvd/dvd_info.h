#pragma once
// The structure of a video DVD, read once: its titles, and for each title the duration, the angle
// count and the chapters, audio tracks and subtitle tracks. The navigation handle is open only
// while the object is built; the title records live as long as the object.
#include "engine/dvd/dvd_nav.h"

#include <memory>
#include <string>
#include <vector>

namespace vc {

class TDvdChapter {
public:
    explicit TDvdChapter(const hb_chapter_t* chapter) : chapter_(chapter) {}
    const hb_chapter_t* Chapter() const { return chapter_; }
    int ChapterNumber() const { return chapter_->index; }
    double Duration() const { return chapter_->duration_s; }

private:
    const hb_chapter_t* chapter_;
};

class TDvdAudio {
public:
    explicit TDvdAudio(const hb_audio_t* audio) : audio_(audio) {}
    const hb_audio_t* Audio() const { return audio_; }

private:
    const hb_audio_t* audio_;
};

class TDvdSubtitle {
public:
    explicit TDvdSubtitle(const hb_subtitle_t* subtitle) : subtitle_(subtitle) {}
    const hb_subtitle_t* Subtitle() const { return subtitle_; }

private:
    const hb_subtitle_t* subtitle_;
};

// One title; its values come straight from the title record, which its TDvdInfo owns.
class TDvdTitle {
public:
    explicit TDvdTitle(const hb_title_t* title);
    TDvdTitle(const TDvdTitle&) = delete;
    TDvdTitle& operator=(const TDvdTitle&) = delete;

    int TitleNumber() const { return title_->index; }
    int AngleCount() const { return title_->angle_count; }
    int Hours() const { return title_->hours; }
    int Minutes() const { return title_->minutes; }
    int Seconds() const { return title_->seconds; }
    int ChapterCount() const { return title_->list_chapter.items_count; }
    int AudioCount() const { return title_->list_audio.items_count; }
    int SubtitleCount() const { return title_->list_subtitle.items_count; }
    double Duration() const { return title_->duration_s; }

    const std::vector<std::unique_ptr<TDvdChapter>>& Chapters() const { return chapters_; }
    const std::vector<std::unique_ptr<TDvdSubtitle>>& Subtitles() const { return subtitles_; }
    const std::vector<std::unique_ptr<TDvdAudio>>& AudioTracks() const { return audio_tracks_; }

private:
    const hb_title_t* title_;
    std::vector<std::unique_ptr<TDvdChapter>> chapters_;
    std::vector<std::unique_ptr<TDvdSubtitle>> subtitles_;
    std::vector<std::unique_ptr<TDvdAudio>> audio_tracks_;
};

class TDvdInfo {
public:
    // Throws vc::Error("Can not open DVD") when the drive does not open as a DVD. Titles whose
    // tables cannot be read are left out, so list positions may differ from title numbers.
    explicit TDvdInfo(const std::string& drive);
    TDvdInfo(const TDvdInfo&) = delete;
    TDvdInfo& operator=(const TDvdInfo&) = delete;
    ~TDvdInfo();

    const std::string& Drive() const { return drive_; }
    int TitleCount() const { return static_cast<int>(title_records_.size()); }
    // Item `index` (0-based).
    TDvdTitle* Titles(int index) const { return titles_.at(static_cast<size_t>(index)).get(); }

private:
    std::string drive_;
    std::vector<std::unique_ptr<hb_title_t>> title_records_;
    std::vector<std::unique_ptr<TDvdTitle>> titles_; // freed before the records they point into
};

} // namespace vc
