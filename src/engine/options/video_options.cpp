#include "engine/options/video_options.h"

#include "engine/media/format_helpers.h"
#include "engine/media/show_error.h"
#include "platform/error.h"

namespace vc {

void TRational::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TRational*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetNum(s->num());
    SetDen(s->den());
}

TVideoOptions::TVideoOptions(QObject* parent) : TPersistent(parent), frame_rate_(new TRational(this)) {}

void TVideoOptions::SetFrameWidth(int v) {
    if (v != frame_width_)
        frame_width_ = v;
}

void TVideoOptions::SetFrameHeight(int v) {
    if (v != frame_height_)
        frame_height_ = v;
}

void TVideoOptions::SetTopFieldFirst(int v) {
    if (v < -1 || v > 1)
        throw Error("Invalid TopFieldFirst Value!");
    top_field_first_ = v;
}

void TVideoOptions::SetPass(int v) {
    if (v < 0 || v > 2) {
        ShowError("pass number can be only 0, 1 or 2");
        return;
    }
    pass_ = v;
}

bool TVideoOptions::ParseMatrix(const QStringList& lines, Matrix& table) {
    if (lines.isEmpty())
        return true; // no custom matrix; the table is simply not used
    if (lines.size() != 64) {
        ShowError("matrix element count should be equal 64");
        return false;
    }
    for (int i = 0; i < 64; ++i) {
        const std::string line = lines[i].toStdString();
        const auto value = line.find('.') == std::string::npos ? TryParseInt(line) : std::nullopt;
        if (!value) {
            ShowError("Invalid matrix element");
            return false;
        }
        table[i] = static_cast<uint16_t>(*value);
    }
    return true;
}

void TVideoOptions::SetIntraMatrix(const QStringList& v) {
    if (ParseMatrix(v, IntraMatrixValues))
        intra_matrix_ = v;
}

void TVideoOptions::SetInterMatrix(const QStringList& v) {
    if (ParseMatrix(v, InterMatrixValues))
        inter_matrix_ = v;
}

void TVideoOptions::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TVideoOptions*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetFrameWidth(s->FrameWidth());
    SetFrameHeight(s->FrameHeight());
    SetEncoderVideoCodecName(s->EncoderVideoCodecName());
    SetDecoderVideoCodecName(s->DecoderVideoCodecName());
    SetVideoDisable(s->VideoDisable());
    SetVideoStreamCopy(s->VideoStreamCopy());
    SetVideoCodecTag(s->VideoCodecTag());
    SetVideoLanguage(s->VideoLanguage());
    SetIntraOnly(s->IntraOnly());
    SetVideoQscale(s->VideoQscale());
    SetSameQuality(s->SameQuality());
    SetVideoRcOverrideString(s->VideoRcOverrideString());
    SetIntraDcPrecision(s->IntraDcPrecision());
    SetVideoSyncMethod(s->VideoSyncMethod());
    SetTopFieldFirst(s->TopFieldFirst());
    // ForceFPS is deliberately not copied.
    SetInterMatrix(s->InterMatrix());
    SetIntraMatrix(s->IntraMatrix());
    frame_rate_->Assign(s->FrameRate());
    SetFrameAspectRatio(s->FrameAspectRatio());
    SetMeThreshold(s->MeThreshold());
    SetDeinterlace(s->Deinterlace());
    SetPass(s->Pass());
    SetMaxFrames(s->MaxFrames());
    SetBitrate(s->Bitrate());
    force_key_frames_ = s->ForceKeyFrames();
    PixelFormat = s->PixelFormat;
    VideoDiscard = s->VideoDiscard;
}

} // namespace vc
