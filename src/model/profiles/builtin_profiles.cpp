#include "model/profiles/builtin_profiles.h"

#include "model/profiles/profile.h"
#include "model/profiles/target_profiles.h"

namespace vc {
namespace {

using A = TAVCustomAudioProfile;
using V = TAVCustomVideoProfile;
using T = TAVTargetProfile;
using I = TAVImageProfile;

enum class Kind { Audio, Video, Vcd, SVcd, Dvd, Dv, Dv50, Image };

// One row of the built-in table. Only the columns of the row's class are used.
struct Row {
    Kind kind;
    const char* description;
    const char* extension;
    const char* category;
    // audio and video profiles
    int sample_rate = 0;
    A::TCustomAudioEncoder audio_encoder = A::AAC;
    A::TCustomAudioChannels channels = A::mono1;
    double audio_bitrate = 0; // kbit/s
    A::TCustomAVFormat format = A::F_NONE;
    // video profiles
    int width = 0;
    int height = 0;
    V::TCustomVideoEncoder video_encoder = V::H263;
    V::TCustomFrameRate frame_rate = V::rOriginal;
    int video_bitrate = 0; // kbit/s
    V::TAVAspectRatio aspect = V::AR_NONE;
    const char* options = nullptr; // "|" between lines
    // target and image profiles
    T::TAVTarget target = T::pal;
    I::TAVImageType image_type = I::bitmap;
};

constexpr Row Audio(const char* d, const char* e, const char* c, int rate, A::TCustomAudioEncoder enc,
                    A::TCustomAudioChannels ch, double kbps, A::TCustomAVFormat fmt) {
    Row r{Kind::Audio, d, e, c};
    r.sample_rate = rate;
    r.audio_encoder = enc;
    r.channels = ch;
    r.audio_bitrate = kbps;
    r.format = fmt;
    return r;
}

constexpr Row Video(const char* d, const char* e, const char* c, int rate, A::TCustomAudioEncoder enc,
                    A::TCustomAudioChannels ch, double kbps, A::TCustomAVFormat fmt, int w, int h,
                    V::TCustomVideoEncoder venc, V::TCustomFrameRate fr, int vkbps,
                    V::TAVAspectRatio ar = V::AR_NONE, const char* options = nullptr) {
    Row r = Audio(d, e, c, rate, enc, ch, kbps, fmt);
    r.kind = Kind::Video;
    r.width = w;
    r.height = h;
    r.video_encoder = venc;
    r.frame_rate = fr;
    r.video_bitrate = vkbps;
    r.aspect = ar;
    r.options = options;
    return r;
}

constexpr Row Target(Kind kind, const char* d, const char* e, const char* c, T::TAVTarget target = T::pal) {
    Row r{kind, d, e, c};
    r.target = target;
    return r;
}

constexpr Row Image(const char* d, const char* e, const char* c, I::TAVImageType type) {
    Row r{Kind::Image, d, e, c};
    r.image_type = type;
    return r;
}

// Device recipes: the lines of the iPhone MPEG-4 rows and of the 3GPP2 rows.
constexpr const char* kIPhoneMpeg4 = "maxrate=1000000|qmin=3|qmax=5|bufsize=4096k|g=300";
constexpr const char* kBitExact = "flags=bitexact";

using enum A::TCustomAudioEncoder;
using enum A::TCustomAudioChannels;
using enum A::TCustomAVFormat;
using enum V::TCustomVideoEncoder;
using enum V::TCustomFrameRate;
using enum V::TAVAspectRatio;
using enum T::TAVTarget;
using enum I::TAVImageType;

// clang-format off
// Columns: description, extension, category | sample rate, audio encoder, channels, audio kbit/s,
// container | width, height, video encoder, frame rate, video kbit/s, aspect ratio, options.
const Row kBuiltInTable[] = {
    // Never listed: the plain standard recipes.
    Target(Kind::Vcd,  "VCD",  ".mpg", ""),
    Target(Kind::Dv,   "DV",   ".dv",  ""),
    Target(Kind::Dv50, "DV50", ".dv",  ""),
    Target(Kind::Dvd,  "DVD",  ".vob", ""),
    Target(Kind::SVcd, "SVCD", ".mpg", ""),
    Image("Image Sequence Profile", ".bmp", "", bitmap),

    Audio("AAC Audio", ".mp4", "音频", 48000, AAC, stereo2, 128, F_NONE),
    Audio("MP3 Audio", ".mp3", "音频", 44100, MP3, stereo2, 192, F_NONE),

    Video("Apple TV H264 Video(320x240)",                 ".mp4", "Apple TV", 48000, AAC, stereo2, 128, F_MP4,  320,  240, H264,  r2997,  768),
    Video("Apple TV H264 video(640x480)",                 ".mp4", "Apple TV", 48000, AAC, stereo2, 128, F_MP4,  640,  480, H264,  r2997, 1500),
    Video("Apple TV H264 video(1280x720)",                ".mp4", "Apple TV", 48000, AAC, stereo2, 160, F_MP4, 1280,  720, H264,  r2997, 4000),
    Video("Apple TV MPEG-4 high quality video(640x480)",  ".mp4", "Apple TV", 48000, AAC, stereo2, 160, F_MP4,  640,  480, MPEG4, r2997, 2500),
    Video("Apple TV MPEG-4 video(640x480)",               ".mp4", "Apple TV", 48000, AAC, stereo2, 128, F_MP4,  640,  480, MPEG4, r2997, 1500),
    Video("Apple TV MPEG-4 low quality video(640x480)",   ".mp4", "Apple TV", 48000, AAC, stereo2,  96, F_MP4,  640,  480, MPEG4, r2997,  800),

    Video("Zune MPEG4 Video(320x240)",        ".mp4", "Zune", 44100, AAC,   stereo2, 128, F_MP4, 320, 240, MPEG4, r2997, 768),
    Video("Zune H264 Video(320x240)",         ".mp4", "Zune", 44100, AAC,   stereo2, 128, F_MP4, 320, 240, H264,  r2997, 768),
    Video("Zune Windows Media WMV(320x240)",  ".wmv", "Zune", 44100, WMAV2, stereo2, 128, F_ASF, 320, 240, WMV2,  r2997, 768),

    Video("Dell Axim X51 Video",                  ".wmv", "Windows Mobile", 44100, WMAV2, stereo2, 96, F_ASF, 320, 240, WMV2, r25,   384),
    Video("Dell Axim X51v Video",                 ".wmv", "Windows Mobile", 44100, WMAV2, stereo2, 96, F_ASF, 640, 480, WMV2, r25,   768),
    Video("General Pocket PC Video",              ".wmv", "Windows Mobile", 44100, WMAV2, stereo2, 96, F_ASF, 320, 240, WMV2, r20,   384),
    Video("General Pocket PC Video(Low Quality)", ".wmv", "Windows Mobile", 22050, WMAV2, mono1,   32, F_ASF, 176, 144, WMV2, r1499, 128),
    Video("HP iPAQ hw6500",                       ".wmv", "Windows Mobile", 22050, WMAV2, stereo2, 64, F_ASF, 240, 240, WMV2, r1499, 256),
    Video("HP iPAQ hx2000/rx3000/rx1900",         ".wmv", "Windows Mobile", 44100, WMAV2, stereo2, 96, F_ASF, 320, 240, WMV2, r20,   384),
    Video("HP iPAQ hx4700",                       ".wmv", "Windows Mobile", 44100, WMAV2, stereo2, 96, F_ASF, 640, 480, WMV2, r25,   768),

    Video("PS3 1080 HD Video", ".mp4", "PS3", 48000, AAC, stereo2, 128, F_NONE, 1920, 1080, H264, r2997, 35000),
    Video("PS3 720p Video",    ".mp4", "PS3", 48000, AAC, stereo2, 128, F_NONE, 1280,  720, H264, r2997, 15000),
    Video("PS3 480p Video",    ".mp4", "PS3", 48000, AAC, stereo2, 128, F_NONE,  720,  480, H264, r2997,  3000),

    Video("PSP MPEG4 Video", ".mp4", "PSP", 48000, AAC, stereo2, 128, F_PSP, 368, 208, MPEG4, r2997,  768),
    Video("PSP AVC Video",   ".mp4", "PSP", 48000, AAC, stereo2, 128, F_PSP, 368, 208, H264,  r2997,  768),
    Video("PSP 480p Video",  ".mp4", "PSP", 48000, AAC, stereo2, 128, F_PSP, 720, 480, H264,  r2997, 1500),

    Video("IPhone H264 Video",               ".mp4", "IPhone", 44100, AAC, stereo2, 128, F_MP4, 480, 320, H264,  r2997, 1000, AR4_3),
    Video("IPhone H264 Television Video",    ".mp4", "IPhone", 44100, AAC, stereo2, 128, F_MP4, 640, 480, H264,  r2997, 1500),
    Video("IPhone MPEG4 Video",              ".mp4", "IPhone", 48000, AAC, stereo2, 128, F_MP4, 480, 320, MPEG4, r2997, 1000, AR4_3, kIPhoneMpeg4),
    Video("IPhone MPEG4 Television Video",   ".mp4", "IPhone", 48000, AAC, stereo2, 128, F_MP4, 640, 480, MPEG4, r2997, 1000, AR_NONE, kIPhoneMpeg4),
    Video("IPhone MPEG4 Wide Screen Video",  ".mp4", "IPhone", 48000, AAC, stereo2, 128, F_MP4, 480, 272, MPEG4, r2997, 1000, AR_NONE, kIPhoneMpeg4),

    Video("IPod 320x240 Video",              ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4, 320, 240, MPEG4, r2997,  768, AR4_3),
    Video("IPod 320x240 High Quality Video", ".mp4", "IPod", 48000, AAC, stereo2, 160, F_MP4, 320, 240, MPEG4, r2997, 1500, AR4_3),
    Video("IPod 320x240 Low Quality Video",  ".mp4", "IPod", 48000, AAC, stereo2,  96, F_MP4, 320, 240, MPEG4, r2997,  384, AR4_3),

    Video("3GPP",                ".3gp", "Mobile",  8000, AMR_NB, mono1,   12.2, F_3GP,  176, 144, H263,  rOriginal, 128),
    Audio("AC3 Dolby Audio",     ".ac3", "音频",    48000, AC3,    stereo2, 192,  F_AC3),
    Video("3GPP2",               ".3g2", "Mobile", 16000, AAC,    stereo2, 32,   F_3GP2, 176, 144, MPEG4, r1499,     192, AR_NONE, kBitExact),
    Video("3GPP2 High Quality",  ".3g2", "Mobile", 22050, AAC,    stereo2, 64,   F_3GP2, 352, 288, MPEG4, r1499,     384, AR_NONE, kBitExact),

    Video("IPad H264 Video",        ".mp4", "IPad", 48000, AAC, stereo2, 160, F_MP4, 1024, 768, H264, r2997, 2500),
    Video("IPad H264 Hiqh Quality", ".mp4", "IPad", 48000, AAC, stereo2, 192, F_MP4, 1280, 720, H264, r2997, 4000),

    Video("Xbox360 HD H264 Video",      ".mp4", "XBox", 48000, AAC, stereo2, 160, F_MP4,  1280,  720, H264,       r2997,  5000),
    Video("Xbox360 MCE HD MPEG2 Video", ".mpg", "Xbox", 48000, AC3, stereo2, 384, F_NONE, 1440, 1080, MPEG2VIDEO, r2997, 15000),

    Video("DVD MPEG TS(PAL) (*.vob)",    ".vob", "视频", 48000, AC3, stereo2, 448, F_DVD, 0, 0, MPEG2VIDEO, r25,   6000),
    Video("DVD MPEG2 PS(NTSC)(*.vob) ",  ".vob", "视频", 48000, AC3, stereo2, 448, F_DVD, 0, 0, MPEG2VIDEO, r2997, 6000),

    Image("JPEG Sequence", "1.jpg", "Images", jpeg),
    Image("GIF Sequence",  "1.gif", "Images", gif),
    Image("PNG Sequence",  "1.png", "Images", png),
    Image("BMP Sequence",  "1.bmp", "Images", bitmap),
    Image("TIFF Sequence", "1.tif", "Images", tiff),

    Video("iPod Video MPEG-4(*.mp4)",            ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  320, 240, MPEG4, r2997,  768, AR4_3),
    Video("iPod Video H.264((*.mp4)",            ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  320, 240, H264,  r2997,  768),
    Video("iPod Touch MPEG-4(*.mp4)",            ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  480, 320, MPEG4, r2997, 1000),
    Video("iPod Touch  H.264 640x480(*.mp4)",    ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  640, 480, H264,  r2997, 1500),
    Video("iPod Touch MPEG-4 640x480(*.mp4)",    ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  640, 480, MPEG4, r2997, 1500),
    Video("iPod Touch 640x480(*.mov)",           ".mov", "IPod", 48000, AAC, stereo2, 128, F_MOV,  640, 480, H264,  r2997, 1500),
    Video("iPod Touch 640x480(*.m4v)",           ".m4v", "IPod", 48000, AAC, stereo2, 128, F_IPOD, 640, 480, H264,  r2997, 1500),
    Video("iPod Touch (640x480) for TV(*.mp4)",  ".mp4", "IPod", 48000, AAC, stereo2, 160, F_MP4,  640, 480, H264,  r2997, 2000),
    Video("iPod Touch(768x576) for TV(*.mp4)",   ".mp4", "IPod", 48000, AAC, stereo2, 160, F_MP4,  768, 576, H264,  r25,   2500),
    Video("iPod Nano MPEG-4(*.mp4)",             ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  320, 240, MPEG4, r2997,  600),
    Video("iPod Nano 4 H.264 640x480(*.mp4)",    ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  640, 480, H264,  r2997, 1500),
    Video("iPod Nano 4 MPEG-4 640x480(*.mp4)",   ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  640, 480, MPEG4, r2997, 1500),
    Video("iPod Nano 4 640x480(*.mov)",          ".mov", "IPod", 48000, AAC, stereo2, 128, F_MOV,  640, 480, H264,  r2997, 1500),
    Video("iPod Nano 4 640x480(*.m4v)",          ".m4v", "IPod", 48000, AAC, stereo2, 128, F_IPOD, 640, 480, H264,  r2997, 1500),
    Video("iPod Classic MPEG-4(*.mp4)",          ".mp4", "IPod", 48000, AAC, stereo2, 128, F_MP4,  320, 240, MPEG4, r2997,  768),

    Audio("WMA- Windows Media Audio(*.wma)",    ".wma", "音频", 44100, WMAV2,  stereo2, 128,  F_ASF),
    Audio("AMR - Adaptive Multi-Rate (*.amr)",  ".amr", "音频",  8000, AMR_NB, mono1,   12.2, F_NONE),
    Audio("M4A - MPEG-4 Audio (*.m4a)",         ".m4a", "音频", 44100, AAC,    stereo2, 128,  F_NONE),
    Audio("MP2-MPEG Layer-2 Audio(*.mp2)",      ".mp2", "音频", 44100, MP2,    stereo2, 192,  F_NONE),
    Audio("MKA-Matroska Audio(*.mka)",          ".mka", "音频", 44100, MP3,    stereo2, 192,  F_MKV),

    Video("DVD Video - SECAM (*.vob) ", ".vob", "视频", 48000, AC3, stereo2, 448, F_DVD, 0, 0, MPEG2VIDEO, r25, 6000),
    Video(" Matroska Video (*.MKV)",    ".mkv", "视频", 48000, AAC, stereo2, 128, F_MKV, 0, 0, H264,       r25, 2000),

    Video("VOB MPEG2 PS Format (*.vob)", ".vob", "VCD", 48000, AC3, stereo2, 448, F_VOB, 720, 576, MPEG2VIDEO, r25, 6000),
    Target(Kind::SVcd, "SVCD PAL (*.mpg)",  ".mpg", "VCD", pal),
    Target(Kind::SVcd, "SVCD NTSC (*.mpg)", ".mpg", "VCD", ntsc),
    Target(Kind::SVcd, "SVCD Film (*.mpg)", ".mpg", "VCD", film),
    Target(Kind::Vcd,  "VCD PAL (*.mpg)",   ".mpg", "VCD", pal),
    Target(Kind::Vcd,  "VCD NTSC (*.mpg)",  ".mpg", "VCD", ntsc),
    Target(Kind::Vcd,  "VCD Film (*.mpg)",  ".mpg", "VCD", film),
    Target(Kind::Dv,   "DV PAL (*.dv)",     ".dv",  "DV",  pal),
    Target(Kind::Dv,   "DV NTSC (*.dv)",    ".dv",  "DV",  ntsc),
    Target(Kind::Dv,   "DV  Film (*.dv)",   ".dv",  "DV",  film),

    Video("Gphone MPEG4 Video(*.mp4)",                 ".mp4", "Android Phone", 44100, AAC,   stereo2, 128, F_NONE, 480, 320, MPEG4, r2997, 768),
    Video("Gphone H.264/MPEG4 AVC Video (*.mp4)",      ".mp4", "Android Phone", 32000, AAC,   stereo2,  96, F_NONE, 320,   0, H264,  r2397, 768),
    Video("Gphone WMV - Windows Media Video (*.wmv)",  ".wmv", "Android Phone", 44100, WMAV2, stereo2, 128, F_ASF,  480, 320, WMV2,  r2997, 768),
    Video("Gphone H.263 3GP Video (*.3gp)",            ".3gp", "Android Phone", 22050, AAC,   mono1,    32, F_3GP,  176, 144, H263,  r1499, 128),

    Video("PS3 H.264 HD Video(720p)(*.mp4)",    ".mp4", "HD Video", 48000, AAC,   stereo2, 160, F_MP4,  1280,  720, H264,       r2997,     6000),
    Video("PS3 H.264 HD Video(1080p)(*.mp4)",   ".mp4", "HD Video", 48000, AAC,   stereo2, 160, F_MP4,  1920, 1080, H264,       r2997,    10000),
    Video("PS3 DivX HD Video (*.avi)",          ".avi", "HD Video", 48000, MP3,   stereo2, 192, F_AVI,  1280,  720, MPEG4,      r2997,     5000),
    Video("PS3 MPEG2-PS HD Video (*.mpg)",      ".mpg", "HD Video", 48000, AC3,   stereo2, 384, F_NONE, 1920, 1080, MPEG2VIDEO, r2997,    15000),
    Video("PS3 MPEG2-TS HD Video (*.ts)",       ".ts",  "HD Video", 48000, AC3,   stereo2, 384, F_NONE, 1920, 1080, MPEG2VIDEO, r2997,    15000),
    Video("Xbox360 WMV HD Video (*.wmv)",       ".wmv", "HD Video", 48000, WMAV2, stereo2, 192, F_ASF,  1280,  720, WMV2,       rOriginal, 6000),
    Video("Xbox360 HD MPEG4 Video (*.mp4)",     ".mp4", "HD Video", 48000, AAC,   stereo2, 160, F_MP4,  1280,  720, MPEG4,      rOriginal, 5000),
    Video("Xbox360 H.264 HD Video (*.mp4)",     ".mp4", "HD Video", 48000, AAC,   stereo2, 160, F_MP4,  1280,  720, H264,       r2997,     6000),
    Video("Xbox360 DivX HD Video (*.avi)",      ".avi", "HD Video", 48000, MP3,   stereo2, 192, F_AVI,  1280,  720, MPEG4,      r2997,     5000),
    Video("Xbox360 MPEG2-PS HD Video (*.mpg)",  ".mpg", "HD Video", 48000, AC3,   stereo2, 384, F_NONE, 1280,  720, MPEG2VIDEO, r2997,    12000),
    Video("Xbox360 MPEG2-TS HD Video (*.ts)",   ".ts",  "HD Video", 48000, AC3,   stereo2, 384, F_NONE, 1280,  720, MPEG2VIDEO, r2997,    12000),
    Video("Xbox360 XviD HD Video (*.avi)",      ".avi", "HD Video", 48000, MP3,   stereo2, 192, F_AVI,  1280,  720, XVID,       r2997,     5000),
    Video("HD MPEG-4 Video (*.mp4)",            ".mp4", "HD Video", 48000, AAC,   stereo2, 160, F_MP4,  1280,  720, MPEG4,      r2997,     5000),
    Video("HD MPEG-4 TS HD Video (*.ts)",       ".ts",  "HD Video", 48000, AAC,   stereo2, 160, F_NONE,    0,    0, MPEG4,      r2997,     5000),
    Video("HD H.264/MPEG-4 AVC Video (*.mp4)",  ".mp4", "HD Video", 48000, AAC,   stereo2, 160, F_MP4,  1920, 1080, H264,       r2997,     8000),
    Video("HD MOV Video (*.mov)",               ".mov", "HD Video", 48000, AAC,   stereo2, 160, F_MOV,  1280,  720, H264,       r2997,     6000),
    Video("HD AVI Video (*.avi)",               ".avi", "HD Video", 48000, MP3,   stereo2, 192, F_AVI,  1280,  720, MPEG4,      r2997,     5000),
    Video("DivX HD Video (*.avi)",              ".avi", "HD Video", 48000, MP3,   stereo2, 192, F_AVI,  1280,  720, MPEG4,      r2997,     5000),
    Video("XviD HD Video (*.avi)",              ".avi", "HD Video", 48000, MP3,   stereo2, 192, F_AVI,  1280,  720, XVID,       r2997,     5000),
    Video("HD ASF Video (*.asf)",               ".asf", "HD Video", 48000, WMAV2, stereo2, 192, F_ASF,  1280,  720, WMV2,       r2997,     6000),
    Video("HD WMV Video (*.wmv)",               ".wmv", "HD Video", 48000, WMAV2, stereo2, 192, F_ASF,  1280,  720, WMV2,       r2997,     6000),
    Video("MPEG2-PS HD Video (*.mpg)",          ".mpg", "HD Video", 48000, AC3,   stereo2, 384, F_NONE, 1920, 1080, MPEG2VIDEO, r2997,    15000),
    Video("MPEG2-TS HD Video (*.ts)",           ".ts",  "HD Video", 48000, AC3,   stereo2, 384, F_NONE, 1920, 1080, MPEG2VIDEO, r2997,    15000),
    Video("HD VOB Video (*.vob)",               ".vob", "HD Video", 48000, AC3,   stereo2, 384, F_VOB,  1920, 1080, MPEG2VIDEO, r2997,    15000),
    Video("HD MKV Video Format (*.mkv)",        ".mkv", "HD Video", 48000, AAC,   stereo2, 160, F_MKV,  1920, 1080, H264,       r2997,     8000),

    Video("FLV - Flash Video Format (*.flv)",  ".flv", "Flash Video", 44100, MP3, stereo2, 128, F_FLV,  320, 240, FLV,  r25,    500),
    Video("Flash H264 Video (*.flv)",          ".flv", "Flash Video", 44100, AAC, stereo2, 128, F_FLV,  640, 480, H264, r25,    800),
    Video("SWF - SWF Format (*.swf)",          ".swf", "Flash Video", 44100, MP3, stereo2, 128, F_NONE, 320, 240, FLV,  r25,    500),
    Video("YouTube Video (*.flv)",             ".flv", "Flash Video", 44100, MP3, stereo2, 128, F_FLV,  640, 360, FLV,  r2997,  800),
    Video("MTS-MPEG-2 Transport Stream (*.m2ts)", ".m2ts", "HD Video", 48000, AC3, stereo2, 384, F_NONE, 1920, 1080, MPEG2VIDEO, r2997, 15000),
    Video("F4V - Flash Video (*.f4v)",         ".f4v", "Flash Video", 44100, AAC, stereo2, 128, F_MP4,  640, 480, H264, r25,    800),

    Audio("MP3 192 (*.mp3)", ".mp3", "MP3", 44100, MP3, stereo2, 192, F_NONE),
    Audio("MP3 256 (*.mp3)", ".mp3", "MP3", 44100, MP3, stereo2, 256, F_NONE),

    Video("H.264 AVI (*.avi)",   ".avi", "AVI", 44100, MP3, stereo2, 128, F_AVI, 640, 480, H264,  r25, 1200),
    Video("DivX Video (*.avi)",  ".avi", "AVI", 44100, MP3, stereo2, 128, F_AVI, 640, 480, MPEG4, r25, 1200),
    Video("XviD Video (*.avi)",  ".avi", "AVI", 44100, MP3, stereo2, 128, F_AVI, 640, 480, XVID,  r25, 1200),

    Audio("MP3 128 (*.mp3)", ".mp3", "MP3", 44100, MP3, stereo2, 128, F_NONE),

    Video("MPEG-4 Video (*.mp4)",            ".mp4", "MP4", 44100, AAC, stereo2, 128, F_MP4, 640, 480, MPEG4, r25, 1200),
    Video("H.264/MPEG-4 AVC Video (*.mp4)",  ".mp4", "MP4", 44100, AAC, stereo2, 128, F_MP4, 640, 480, H264,  r25, 1200),

    Video(" Flash Video (*.flv)",                          ".flv", "视频", 44100, MP3,   stereo2, 128, F_FLV,  0,   0,   FLV,        r25,    800),
    Video("Apple Quicktime Video(*.mov) ",                 ".mov", "视频", 48000, AAC,   stereo2, 128, F_MOV,  0,   0,   H264,       r25,   2000),
    Video("MPEG-4 Video (*.mp4)",                          ".mp4", "视频", 48000, AAC,   stereo2, 128, F_MP4,  0,   0,   MPEG4,      r25,   2000),
    Video("H.264/MPEG-4 AVC Video (*.mp4)",                ".mp4", "视频", 48000, AAC,   stereo2, 128, F_MP4,  0,   0,   H264,       r25,   2000),
    Video("M4V MPEG-4 Video (*.m4v)",                      ".m4v", "视频", 48000, AAC,   stereo2, 128, F_NONE, 0,   0,   MPEG4,      r25,   2000),
    Video("H.264 AVI - Audio Video Interleaved (*.avi)",   ".avi", "视频", 44100, MP3,   stereo2, 128, F_AVI,  0,   0,   H264,       r25,   2000),
    Video("DivX Video (*.avi)",                            ".avi", "视频", 44100, MP3,   stereo2, 128, F_AVI,  0,   0,   MPEG4,      r25,   2000),
    Video("XviD Video (*.avi)",                            ".avi", "视频", 44100, MP3,   stereo2, 128, F_AVI,  0,   0,   XVID,       r25,   2000),
    Video("ASF - Advanced Streaming Format (*.asf)",       ".asf", "视频", 44100, WMAV2, stereo2, 128, F_ASF,  0,   0,   WMV2,       r25,   2000),
    Video("WMV - Windows Media Video (*.wmv)",             ".wmv", "视频", 44100, WMAV2, stereo2, 128, F_ASF,  0,   0,   WMV2,       r25,   2000),
    Video("MPEG-2 Video (*.mpg)",                          ".mpg", "视频", 48000, MP2,   stereo2, 224, F_NONE, 0,   0,   MPEG2VIDEO, r25,   4000),
    Video("手机3GP- 单声道Mono (*.3gp)",                   ".3gp", "视频", 22050, AAC,   mono1,    32, F_3GP,  176, 144, H263,       r1499,  128),
    Video("手机3GP - 双声道Stereo(*.3gp)",                 ".3gp", "视频", 22050, AAC,   stereo2,  64, F_3GP,  176, 144, H263,       r1499,  192),
    Video("手机3GP - 单声道Mono (*.3g2)",                  ".3g2", "视频", 22050, AAC,   mono1,    32, F_3GP2, 0,   0,   MPEG4,      r1499,  192),
    Video("手机3GP - 双声道Stereo (*.3g2)",                ".3g2", "视频", 22050, AAC,   stereo2,  64, F_3GP2, 0,   0,   MPEG4,      r1499,  192),
    Video("FLV - Flash Video Format (*.flv)",              ".flv", "视频", 44100, MP3,   stereo2, 128, F_FLV,  0,   0,   FLV,        r25,    800),
    Video("Flash H264 Video (*.flv)",                      ".flv", "视频", 44100, AAC,   stereo2, 128, F_FLV,  0,   0,   H264,       r25,   1000),
    Video("SWF - SWF Format (*.swf)",                      ".swf", "视频", 44100, MP3,   stereo2, 128, F_NONE, 0,   0,   FLV,        r25,    800),

    Video("MTS-H264 Transport Stream (*.mts)", ".mts", "HD Video", 48000, AC3, stereo2, 256, F_NONE, 0, 0, H264, r25, 8000),
};
// clang-format on

TAVProfile* CreateProfile(const Row& row, QObject* owner) {
    TAVProfile* profile = nullptr;
    switch (row.kind) {
    case Kind::Audio:
    case Kind::Video: {
        TAVCustomAudioProfile* audio = nullptr;
        if (row.kind == Kind::Video) {
            auto* video = new TAVCustomVideoProfile(owner);
            video->SetFrameWidth(row.width);
            video->SetFrameHeight(row.height);
            video->SetVideoEncoder(row.video_encoder);
            video->SetFrameRate(row.frame_rate);
            video->SetVideoBitrate(row.video_bitrate);
            video->SetFrameAspectRatio(row.aspect);
            audio = video;
        } else {
            audio = new TAVCustomAudioProfile(owner);
        }
        audio->SetSampleRate(row.sample_rate);
        audio->SetAudioEncoder(row.audio_encoder);
        audio->SetAudioChannels(row.channels);
        audio->SetAudioBitrate(row.audio_bitrate);
        audio->SetFormat(row.format);
        if (row.options != nullptr)
            audio->SetOptions(QString::fromUtf8(row.options).split(QLatin1Char('|')));
        profile = audio;
        break;
    }
    case Kind::Vcd:
    case Kind::SVcd:
    case Kind::Dvd:
    case Kind::Dv:
    case Kind::Dv50: {
        TAVTargetProfile* target = nullptr;
        switch (row.kind) {
        case Kind::Vcd: target = new TAVVcdProfile(owner); break;
        case Kind::SVcd: target = new TAVSVcdProfile(owner); break;
        case Kind::Dvd: target = new TAVDvdProfile(owner); break;
        case Kind::Dv: target = new TAVDvProfile(owner); break;
        default: target = new TAVDv50Profile(owner); break;
        }
        target->SetTarget(row.target);
        profile = target;
        break;
    }
    case Kind::Image: {
        auto* image = new TAVImageProfile(owner);
        image->SetImageType(row.image_type);
        profile = image;
        break;
    }
    }
    profile->SetDescription(QString::fromUtf8(row.description));
    profile->SetExtension(QString::fromUtf8(row.extension));
    profile->SetCategory(QString::fromUtf8(row.category));
    return profile;
}

} // namespace

QStringList BuiltInCategories() {
    return {QStringLiteral("视频"),          QStringLiteral("HD Video"),    QStringLiteral("音频"),
            QStringLiteral("Mobile"),        QStringLiteral("MP4"),         QStringLiteral("MP3"),
            QStringLiteral("AVI"),           QStringLiteral("Flash Video"), QStringLiteral("Images"),
            QStringLiteral("IPad"),          QStringLiteral("IPhone"),      QStringLiteral("IPod"),
            QStringLiteral("Zune"),          QStringLiteral("Xbox"),        QStringLiteral("Windows Mobile"),
            QStringLiteral("Android Phone"), QStringLiteral("PS3"),         QStringLiteral("PSP"),
            QStringLiteral("Apple TV"),      QStringLiteral("VCD"),         QStringLiteral("DV")};
}

void AddBuiltInProfiles(TAVProfileList& list) {
    for (const Row& row : kBuiltInTable)
        CreateProfile(row, &list)->SetProfileList(&list);
}

std::unique_ptr<TAVProfileList> CreateBuiltInCatalogue() {
    auto list = std::make_unique<TAVProfileList>();
    list->SetCategories(BuiltInCategories());
    AddBuiltInProfiles(*list);
    return list;
}

} // namespace vc
