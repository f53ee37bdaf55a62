// Scanning half of the navigation layer: a title's chapters, duration and streams, read from the
// IFO tables (title table, the title set's chapter table, program maps, the cells' playback times,
// stream attributes and the program chain's presence bits).
#include "engine/dvd/dvd_nav_internal.h"

#include <algorithm>
#include <cmath>

namespace vc {

namespace {

int FromBcd(uint8_t v) {
    return (v >> 4) * 10 + (v & 0x0F);
}

double Seconds(const dvd_time_t& t) {
    const double fps = ((t.frame_u & 0xC0) >> 6) == 1 ? 25.0 : 30000.0 / 1001.0;
    return FromBcd(t.hour) * 3600.0 + FromBcd(t.minute) * 60.0 + FromBcd(t.second) +
           FromBcd(t.frame_u & 0x3F) / fps;
}

const pgc_t* ProgramChain(const ifo_handle_t* vts, int pgcn) {
    if (!vts->vts_pgcit || pgcn < 1 || pgcn > vts->vts_pgcit->nr_of_pgci_srp)
        return nullptr;
    const pgc_t* pgc = vts->vts_pgcit->pgci_srp[pgcn - 1].pgc;
    if (!pgc || !pgc->program_map || !pgc->cell_playback || pgc->nr_of_programs < 1)
        return nullptr;
    return pgc;
}

// Playing time of cells first..last (1-based); of an angle block only the first angle counts.
double CellsDuration(const pgc_t* pgc, int first, int last) {
    double total = 0;
    for (int c = first; c <= last && c <= pgc->nr_of_cells; ++c) {
        const cell_playback_t& cell = pgc->cell_playback[c - 1];
        if (cell.block_type == BLOCK_TYPE_ANGLE_BLOCK && cell.block_mode != BLOCK_MODE_FIRST_CELL)
            continue;
        total += Seconds(cell.playback_time);
    }
    return total;
}

std::string Language(uint16_t code) {
    const char a = static_cast<char>(code >> 8), b = static_cast<char>(code & 0xFF);
    if (a < 'a' || a > 'z' || b < 'a' || b > 'z')
        return {};
    return std::string{a, b};
}

const char* AudioCodec(int format) {
    switch (format) {
    case 0: return "ac3";
    case 2:
    case 3: return "mpeg";
    case 4: return "lpcm";
    case 6: return "dts";
    default: return "unknown";
    }
}

struct VtsHandle {
    ifo_handle_t* ifo;
    ~VtsHandle() {
        if (ifo)
            ifoClose(ifo);
    }
};

} // namespace

std::unique_ptr<hb_title_t> hb_dvdnav_title_scan(hb_dvdnav_t* h, int title_number) {
    if (!h || title_number < 1 || title_number > hb_dvdnav_title_count(h))
        return nullptr;
    const title_info_t& info = h->vmg->tt_srpt->title[title_number - 1];
    VtsHandle vts{ifoOpen(h->reader, info.title_set_nr)};
    if (!vts.ifo || !vts.ifo->vts_ptt_srpt || !vts.ifo->vtsi_mat)
        return nullptr;
    const vts_ptt_srpt_t* ptt_table = vts.ifo->vts_ptt_srpt;
    if (info.vts_ttn < 1 || info.vts_ttn > ptt_table->nr_of_srpts)
        return nullptr;
    const ttu_t& parts = ptt_table->title[info.vts_ttn - 1];
    if (parts.nr_of_ptts < 1 || !parts.ptt)
        return nullptr;

    auto title = std::make_unique<hb_title_t>();
    title->index = title_number;
    title->angle_count = std::max<int>(1, info.nr_of_angles);
    title->title_set = info.title_set_nr;
    title->vts_title = info.vts_ttn;

    for (int k = 0; k < parts.nr_of_ptts; ++k) {
        const ptt_info_t& part = parts.ptt[k];
        const pgc_t* pgc = ProgramChain(vts.ifo, part.pgcn);
        if (!pgc || part.pgn < 1 || part.pgn > pgc->nr_of_programs)
            return nullptr;
        const int first_cell = pgc->program_map[part.pgn - 1];
        int last_cell = pgc->nr_of_cells;
        if (k + 1 < parts.nr_of_ptts && parts.ptt[k + 1].pgcn == part.pgcn) {
            const int next_pgn = parts.ptt[k + 1].pgn;
            if (next_pgn <= part.pgn || next_pgn > pgc->nr_of_programs)
                return nullptr;
            last_cell = pgc->program_map[next_pgn - 1] - 1;
        }
        if (first_cell < 1 || first_cell > pgc->nr_of_cells || last_cell < first_cell)
            return nullptr;
        auto chapter = std::make_unique<hb_chapter_t>();
        chapter->index = k + 1;
        chapter->pgcn = part.pgcn;
        chapter->pgn = part.pgn;
        chapter->duration_s = CellsDuration(pgc, first_cell, last_cell);
        title->duration_s += chapter->duration_s;
        title->list_chapter.Append(std::move(chapter));
    }

    // Streams: declared for the title set, present when the first chapter's chain marks them.
    const pgc_t* pgc = ProgramChain(vts.ifo, parts.ptt[0].pgcn);
    const vtsi_mat_t* mat = vts.ifo->vtsi_mat;
    for (int i = 0; i < mat->nr_of_vts_audio_streams && i < 8; ++i) {
        if (!(pgc->audio_control[i] & 0x8000))
            continue;
        const audio_attr_t& attr = mat->vts_audio_attr[i];
        auto audio = std::make_unique<hb_audio_t>();
        audio->index = i + 1;
        audio->language = Language(attr.lang_code);
        audio->codec = AudioCodec(attr.audio_format);
        audio->channels = attr.channels + 1;
        audio->sample_rate = attr.sample_frequency == 1 ? 96000 : 48000;
        title->list_audio.Append(std::move(audio));
    }
    for (int i = 0; i < mat->nr_of_vts_subp_streams && i < 32; ++i) {
        if (!(pgc->subp_control[i] & 0x80000000u))
            continue;
        auto sub = std::make_unique<hb_subtitle_t>();
        sub->index = i + 1;
        sub->language = Language(mat->vts_subp_attr[i].lang_code);
        title->list_subtitle.Append(std::move(sub));
    }

    const auto total = static_cast<int64_t>(std::llround(title->duration_s));
    title->hours = static_cast<int32_t>(total / 3600);
    title->minutes = static_cast<int32_t>(total / 60 % 60);
    title->seconds = static_cast<int32_t>(total % 60);
    return title;
}

} // namespace vc
