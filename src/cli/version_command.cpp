#include "cli/commands.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdio>

namespace vc::cli {

namespace {
void PrintLibrary(const char* name, unsigned version) {
    std::printf("  %-14s %u.%u.%u\n", name, AV_VERSION_MAJOR(version), AV_VERSION_MINOR(version),
                AV_VERSION_MICRO(version));
}
} // namespace

int PrintVersion() {
    std::printf("vconv %s\nFFmpeg libraries:\n", VC_VERSION);
    PrintLibrary("libavutil", avutil_version());
    PrintLibrary("libavcodec", avcodec_version());
    PrintLibrary("libavformat", avformat_version());
    PrintLibrary("libavfilter", avfilter_version());
    PrintLibrary("libswscale", swscale_version());
    PrintLibrary("libswresample", swresample_version());
    return 0;
}

} // namespace vc::cli
