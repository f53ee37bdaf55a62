// Playback half of the navigation layer: opening, starting a chapter, reading blocks, seeking and
// knowing when the started title is over. The title scan lives in dvd_title_scan.cpp.
#include "engine/dvd/dvd_nav_internal.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vc {

namespace {

// libdvdread reports harmless complaints for folders and images ("Couldn't find device name", no
// decryption library); they go to FFmpeg's log below the level users see.
void LogNav(void*, dvdnav_logger_level_t level, const char* fmt, va_list args) {
    if (level == DVDNAV_LOGGER_LEVEL_DEBUG)
        return;
    char line[512];
    std::vsnprintf(line, sizeof line, fmt, args);
    av_log(nullptr, AV_LOG_VERBOSE, "dvdnav: %s\n", line);
}
void LogRead(void*, dvd_logger_level_t level, const char* fmt, va_list args) {
    if (level == DVD_LOGGER_LEVEL_DEBUG)
        return;
    char line[512];
    std::vsnprintf(line, sizeof line, fmt, args);
    av_log(nullptr, AV_LOG_VERBOSE, "dvdread: %s\n", line);
}
const dvdnav_logger_cb kNavLogger{LogNav};
const dvd_logger_cb kReadLogger{LogRead};

// A path to VIDEO_TS.IFO (what a file dialog returns) means the folder it lies in.
std::string NormaliseLocation(const std::string& location) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p(location);
    if (fs::is_regular_file(p, ec)) {
        std::string name = p.filename().string();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::toupper(c); });
        if (name == "VIDEO_TS.IFO")
            return p.parent_path().string();
    }
    return location;
}

bool InTitle(hb_dvdnav_t* h) {
    int32_t title = 0, part = 0;
    return dvdnav_is_domain_vts(h->nav) &&
           dvdnav_current_title_info(h->nav, &title, &part) == DVDNAV_STATUS_OK && title == h->title;
}

void MarkEnded(hb_dvdnav_t* h) {
    h->ended = true;
}

// One step of the navigation: a data block (1), an event to skip (0), or a point where the chapter
// or the end of the title should be looked at again (-1).
int Step(hb_dvdnav_t* h, uint8_t* buffer, int32_t* length) {
    int32_t event = 0, len = 0;
    if (dvdnav_get_next_block(h->nav, buffer, &event, &len) != DVDNAV_STATUS_OK) {
        av_log(nullptr, AV_LOG_ERROR, "DVD read error: %s\n", dvdnav_err_to_string(h->nav));
        MarkEnded(h);
        return -1;
    }
    switch (event) {
    case DVDNAV_BLOCK_OK:
    case DVDNAV_NAV_PACKET: // a real pack: delivering it keeps block counts and positions aligned
        *length = len;
        return 1;
    case DVDNAV_STILL_FRAME: dvdnav_still_skip(h->nav); return 0;
    case DVDNAV_WAIT: dvdnav_wait_skip(h->nav); return 0;
    case DVDNAV_STOP: MarkEnded(h); return -1;
    case DVDNAV_CELL_CHANGE: {
        // The event lies in the caller's block buffer, which may start at any byte: copy it out.
        dvdnav_cell_change_event_t cell{};
        std::memcpy(&cell, buffer, sizeof cell);
        int32_t title = 0, pgcn = 0, pgn = 0;
        dvdnav_current_title_program(h->nav, &title, &pgcn, &pgn);
        if (!InTitle(h)) {
            MarkEnded(h);
        } else if (!h->cell_baseline_pending && pgcn == h->pgcn && cell.cellN <= h->cell) {
            // The disc's own commands replay this program chain: the title has been read once.
            MarkEnded(h);
        }
        h->cell_baseline_pending = false;
        h->cell_entered = true;
        h->cell = cell.cellN;
        h->pgcn = pgcn;
        return -1;
    }
    case DVDNAV_NOP:        // comes right before a chapter's first block
    case DVDNAV_VTS_CHANGE: // possibly another title or a menu
        if (!InTitle(h))
            MarkEnded(h);
        return -1;
    default: return 0;
    }
}

// The title-relative block at or before `block` where a block group (VOBU) starts, so that a
// sector search lands exactly there. Falls back to `block` when the tables do not tell.
uint64_t AlignToBlockGroup(hb_dvdnav_t* h, uint64_t block) {
    ifo_handle_t* vts = h->vts;
    if (!vts || !vts->vts_pgcit || !vts->vts_vobu_admap || h->pgcn < 1 ||
        h->pgcn > vts->vts_pgcit->nr_of_pgci_srp)
        return block;
    const pgc_t* pgc = vts->vts_pgcit->pgci_srp[h->pgcn - 1].pgc;
    if (!pgc || !pgc->cell_playback)
        return block;
    uint64_t before = 0; // blocks of the cells before the one holding `block`
    for (int i = 0; i < pgc->nr_of_cells; ++i) {
        const cell_playback_t& cell = pgc->cell_playback[i];
        if (cell.block_type == BLOCK_TYPE_ANGLE_BLOCK)
            return block; // how angle cells are counted is up to libdvdnav
        const uint64_t cell_blocks = uint64_t(cell.last_sector) - cell.first_sector + 1;
        if (block < before + cell_blocks) {
            const uint32_t sector = cell.first_sector + static_cast<uint32_t>(block - before);
            const vobu_admap_t* map = vts->vts_vobu_admap;
            const size_t count = (map->last_byte + 1 - VOBU_ADMAP_SIZE) / 4;
            const uint32_t* first = map->vobu_start_sectors;
            const uint32_t* at = std::upper_bound(first, first + count, sector);
            if (at == first)
                return block;
            const uint32_t start = *(at - 1);
            if (start < cell.first_sector)
                return before;
            return before + (start - cell.first_sector);
        }
        before += cell_blocks;
    }
    return block;
}

} // namespace

hb_dvdnav_t::~hb_dvdnav_t() {
    if (vts)
        ifoClose(vts);
    if (vmg)
        ifoClose(vmg);
    if (reader)
        DVDClose(reader);
    if (nav)
        dvdnav_close(nav);
}

hb_dvdnav_t* hb_dvdnav_init(const std::string& location) {
    auto h = std::make_unique<hb_dvdnav_t>();
    const std::string path = NormaliseLocation(location);
    std::error_code ec;
    // libdvdread leaks a little on every failed open of a missing path; nothing to open anyway.
    if (path.empty() || !std::filesystem::exists(path, ec))
        return nullptr;
    if (dvdnav_open2(&h->nav, nullptr, &kNavLogger, path.c_str()) != DVDNAV_STATUS_OK) {
        h->nav = nullptr;
        return nullptr;
    }
    // libdvdnav keeps its reader to itself, so the IFO tables are read through a second one.
    h->reader = DVDOpen2(nullptr, &kReadLogger, path.c_str());
    if (!h->reader)
        return nullptr;
    h->vmg = ifoOpen(h->reader, 0);
    if (!h->vmg || !h->vmg->tt_srpt)
        return nullptr;
    dvdnav_set_readahead_flag(h->nav, 1);
    // Positions count from the start of the title's program chain, not of the current program.
    dvdnav_set_PGC_positioning_flag(h->nav, 1);
    return h.release();
}

int hb_dvdnav_title_count(hb_dvdnav_t* h) {
    return h && h->vmg && h->vmg->tt_srpt ? h->vmg->tt_srpt->nr_of_srpts : 0;
}

int hb_dvdnav_start(hb_dvdnav_t* h, hb_title_t* title, int chapter) {
    if (!h || !title || chapter < 1 || chapter > title->list_chapter.items_count)
        return 0;
    if (h->vts_number != title->title_set) {
        if (h->vts)
            ifoClose(h->vts);
        h->vts = ifoOpen(h->reader, title->title_set);
        h->vts_number = h->vts ? title->title_set : 0;
    }
    if (dvdnav_part_play(h->nav, title->index, chapter) != DVDNAV_STATUS_OK) {
        h->title = 0;
        return 0;
    }
    h->title = title->index;
    h->start_chapter = chapter;
    h->ended = false;
    h->cell_baseline_pending = true;
    const hb_chapter_t* c = hb_list_item(&title->list_chapter, chapter - 1);
    h->pgcn = c ? c->pgcn : 0;
    h->cell = 0;
    h->cell_entered = false;
    return 1;
}

int hb_dvdnav_angle_count(hb_dvdnav_t* h) {
    int32_t current = 0, count = 0;
    if (!h || dvdnav_get_angle_info(h->nav, &current, &count) != DVDNAV_STATUS_OK || count < 1)
        return 1;
    return count;
}

void hb_dvdnav_stop(hb_dvdnav_t* h) {
    if (!h)
        return;
    // A later start repositions the player; until then nothing more is delivered.
    h->title = 0;
    h->ended = true;
}

void hb_dvdnav_close(hb_dvdnav_t** h) {
    if (!h)
        return;
    delete *h;
    *h = nullptr;
}

int hb_dvdnav_set_angle(hb_dvdnav_t* h, int angle) {
    return h && dvdnav_angle_change(h->nav, angle) == DVDNAV_STATUS_OK ? 1 : 0;
}

int hb_dvdnav_chapter(hb_dvdnav_t* h) {
    if (!h || h->title == 0 || h->ended)
        return -1;
    int32_t title = 0, part = 0;
    if (dvdnav_current_title_info(h->nav, &title, &part) != DVDNAV_STATUS_OK || title != h->title || part < 1)
        return -1;
    return part;
}

int hb_dvdnav_read(hb_dvdnav_t* h, uint8_t* buffer, int32_t* length, int32_t* ignored) {
    if (ignored)
        *ignored = 0;
    *length = 0;
    if (!h || h->title == 0 || h->ended)
        return -1;
    return Step(h, buffer, length);
}

int hb_dvdnav_seek(hb_dvdnav_t* h, uint64_t block) {
    if (!h || h->title == 0)
        return 0;
    uint8_t scratch[2048];
    // libdvdnav cannot search before the first cell of a start has been entered; the events up to
    // there carry no data.
    auto enter_cell = [&] {
        for (int idle = 0; !h->cell_entered && !h->ended && idle <= kMaxIdleSteps; ++idle) {
            int32_t len = 0;
            Step(h, scratch, &len);
        }
        return h->cell_entered && !h->ended;
    };
    // Nor can it search after the title has ended (the disc went on elsewhere) or between two
    // cells: then the started chapter is played again and the search made from there.
    auto restart = [&] {
        if (dvdnav_part_play(h->nav, h->title, h->start_chapter) != DVDNAV_STATUS_OK)
            return false;
        h->ended = false;
        h->cell_entered = false;
        h->cell_baseline_pending = true;
        return enter_cell();
    };
    if (h->ended || !InTitle(h) ? !restart() : !enter_cell())
        return 0;
    uint32_t position = 0, length = 0;
    if (dvdnav_get_position(h->nav, &position, &length) == DVDNAV_STATUS_OK && block >= length)
        return 0;
    // libdvdnav lands on the block group after the target when the target is inside a group, so
    // search the group's start and skip the blocks in front of the target.
    const uint64_t start = AlignToBlockGroup(h, block);
    if (dvdnav_sector_search(h->nav, static_cast<int64_t>(start), SEEK_SET) != DVDNAV_STATUS_OK &&
        (!restart() ||
         dvdnav_sector_search(h->nav, static_cast<int64_t>(start), SEEK_SET) != DVDNAV_STATUS_OK))
        return 0;
    h->ended = false;
    h->cell_baseline_pending = true;
    uint64_t skip = block - start;
    for (int idle = 0; skip > 0;) {
        int32_t len = 0;
        const int r = Step(h, scratch, &len);
        if (h->ended)
            return 0;
        if (r == 1) {
            --skip;
            idle = 0;
        } else if (++idle > kMaxIdleSteps) {
            return 0;
        }
    }
    return 1;
}

int hb_dvdnav_get_position(hb_dvdnav_t* h, uint32_t* position, uint32_t* length) {
    if (!h)
        return 0;
    return dvdnav_get_position(h->nav, position, length) == DVDNAV_STATUS_OK ? 1 : 0;
}

void hb_title_close(hb_title_t** title) {
    if (!title)
        return;
    delete *title;
    *title = nullptr;
}

} // namespace vc
