#include "model/profiles/profile_tables.h"

namespace vc {

const std::array<TFrameSize, 38> FrameSizeTable = {{
    {"Original", 0, 0},
    {"ntsc(720x480)", 720, 480},
    {"pal(720x576)", 720, 576},
    {"352x240", 352, 240},
    {"240x240", 240, 240},
    {"368x208", 368, 208},
    {"spal(768x576)", 768, 576},
    {"480x320", 480, 320},
    {"sqcif(128x96)", 128, 96},
    {"qcif(176x144)", 176, 144},
    {"cif(352x288)", 352, 288},
    {"4cif(704x576)", 704, 576},
    {"16cif(1408x1152)", 1408, 1152},
    {"qqvga(160x120)", 160, 120},
    {"qvga(320x240)", 320, 240},
    {"vga(640x480)", 640, 480},
    {"svga(800x600)", 800, 600},
    {"xga(1024x768)", 1024, 768},
    {"uxga(1600x1200)", 1600, 1200},
    {"qxga(2048x1536)", 2048, 1536},
    {"sxga(1280x1024)", 1280, 1024},
    {"qsxga(2560x2048)", 2560, 2048},
    {"hsxga(5120x4096)", 5120, 4096},
    {"wvga(852x480)", 852, 480},
    {"wxga(1366x768)", 1366, 768},
    {"wsxga(1600x1024)", 1600, 1024},
    {"wuxga(1920x1200)", 1920, 1200},
    {"woxga(2560x1600)", 2560, 1600},
    {"wqsxga(3200x2048)", 3200, 2048},
    {"wquxga(3840x2400)", 3840, 2400},
    {"whsxga(6400x4096)", 6400, 4096},
    {"whuxga(7680x4800)", 7680, 4800},
    {"cga(320x200)", 320, 200},
    {"ega(640x350)", 640, 350},
    {"hd480(852x480)", 852, 480},
    {"hd720(1280x720)", 1280, 720},
    {"hd1080(1920x1080)", 1920, 1080},
    {"1440x1080", 1440, 1080},
}};

const std::array<const char*, 9> VideoEncoderNames = {"H263",     "H264", "MPEG4", "WMV2", "MPEG2VIDEO",
                                                      "MSMPEGV3", "RV20", "XVID",  "FLV"};
const std::array<const char*, 8> AudioEncoderNames = {"AAC", "WMAV2",     "AC3", "MP2",
                                                      "MP3", "PCM_S16LE", "RA1", "AMR_NB"};
const std::array<const char*, 18> FormatNames = {"NONE", "RM",  "MP4", "ASF",  "AVI",  "3GP",
                                                 "3GP2", "FLV", "MOV", "PSP",  "IPOD", "SVCD",
                                                 "VCD",  "VOB", "DVD", "WEBM", "AC3",  "MKV"};
const std::array<const char*, 8> FrameRateNames = {"Original", "14.99", "20",    "23.97",
                                                   "24",       "25",    "29.97", "30"};
const std::array<const char*, 2> ChannelNames = {"mono", "stereo"};

const std::array<TRationalValue, 8> CustomFrameRates = {{
    {0, 0},
    {15000, 1001},
    {20, 1},
    {24000, 1001},
    {24, 1},
    {25, 1},
    {30000, 1001},
    {30, 1},
}};
const std::array<TRationalValue, 3> TargetFrameRates = {{{25, 1}, {30000, 1001}, {24000, 1001}}};

const std::array<const char*, 8> AudioEncoderCodecNames = {
    "libfaac", "wmav2", "ac3", "mp2", "libmp3lame", "pcm_s16le", "real_144", "libopencore_amrnb"};
const std::array<const char*, 9> VideoEncoderCodecNames = {
    "h263", "libx264", "mpeg4", "wmv2", "mpeg2video", "msmpeg4", "rv20", "libxvid", "flv"};
const std::array<const char*, 18> FormatCodecNames = {"",    "rm",  "mp4", "asf",  "avi",  "3gp",
                                                      "3g2", "flv", "mov", "psp",  "ipod", "svcd",
                                                      "vcd", "vob", "dvd", "webm", "ac3",  "matroska"};

} // namespace vc
