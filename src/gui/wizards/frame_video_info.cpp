#include "gui/wizards/frame_video_info.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

namespace vc::gui {

namespace {

QLabel* ValueLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TFrameVideoInfo::TFrameVideoInfo(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameVideoInfo");
    auto* columns = new QHBoxLayout(this); // pnlProfile: two columns of equal width
    columns->setContentsMargins(0, 0, 0, 0);

    grpVideo = new QGroupBox(tr("Video Information"), this);
    auto* video = new QFormLayout(grpVideo);
    lblVEncoder = ValueLabel(grpVideo);
    lblFrameRate = ValueLabel(grpVideo);
    lblFrameSize = ValueLabel(grpVideo);
    lblVideoBitrate = ValueLabel(grpVideo);
    const QStringList video_texts = {tr("Video Encoder"), tr("Frame Rate"), tr("Frame Size"),
                                     tr("Bitrate(kbps)")};
    const QList<QLabel*> video_values = {lblVEncoder, lblFrameRate, lblFrameSize, lblVideoBitrate};
    for (int i = 0; i < video_texts.size(); ++i) {
        video_captions_ << new QLabel(video_texts[i], grpVideo);
        video->addRow(video_captions_.back(), video_values[i]);
    }

    grpAudio = new QGroupBox(tr("Audio Information"), this);
    auto* audio = new QFormLayout(grpAudio);
    lblAudioEncoder = ValueLabel(grpAudio);
    lblChannels = ValueLabel(grpAudio);
    lblSampleRate = ValueLabel(grpAudio);
    lblAudioBitrate = ValueLabel(grpAudio);
    const QStringList audio_texts = {tr("Audio Encoder"), tr("Channels"), tr("Sample Rate"),
                                     tr("Bitrate(kbps)")};
    const QList<QLabel*> audio_values = {lblAudioEncoder, lblChannels, lblSampleRate, lblAudioBitrate};
    for (int i = 0; i < audio_texts.size(); ++i) {
        audio_captions_ << new QLabel(audio_texts[i], grpAudio);
        audio->addRow(audio_captions_.back(), audio_values[i]);
    }
    columns->addWidget(grpVideo, 1);
    columns->addWidget(grpAudio, 1);

    ClearVideoInfo();
    ClearAudioInfo();
}

void TFrameVideoInfo::SetCaptions(const QString& video_group, const QStringList& video_captions,
                                  const QString& audio_group, const QStringList& audio_captions) {
    grpVideo->setTitle(video_group);
    grpAudio->setTitle(audio_group);
    for (int i = 0; i < video_captions_.size() && i < video_captions.size(); ++i)
        video_captions_[i]->setText(video_captions[i]);
    for (int i = 0; i < audio_captions_.size() && i < audio_captions.size(); ++i)
        audio_captions_[i]->setText(audio_captions[i]);
}

void TFrameVideoInfo::ShowVideoInfo(const QString& encoder, int width, int height, double frame_rate,
                                    int bitrate) {
    lblVEncoder->setText(encoder);
    lblFrameSize->setText(QString::asprintf("%dx%d", width, height));
    lblFrameRate->setText(QString::asprintf("%.2f", frame_rate));
    lblVideoBitrate->setText(QString::number(bitrate));
}

void TFrameVideoInfo::ShowAudioInfo(const QString& encoder, int sample_rate, double bitrate,
                                    TCustomAudioChannels channels) {
    lblAudioEncoder->setText(encoder);
    lblChannels->setText(channels == TAVCustomAudioProfile::mono1 ? QStringLiteral("mono")
                                                                  : QStringLiteral("stereo"));
    lblSampleRate->setText(QString::number(sample_rate));
    lblAudioBitrate->setText(QString::number(bitrate));
}

void TFrameVideoInfo::ClearVideoInfo() {
    for (QLabel* label : {lblVEncoder, lblFrameRate, lblFrameSize, lblVideoBitrate})
        label->clear();
}

void TFrameVideoInfo::ClearAudioInfo() {
    for (QLabel* label : {lblAudioEncoder, lblChannels, lblSampleRate, lblAudioBitrate})
        label->clear();
}

void TFrameVideoInfo::ShowProfile(const TAVProfile* profile) {
    // Both groups: a target or image profile must not keep showing the audio of the profile before.
    ClearVideoInfo();
    ClearAudioInfo();
    if (const auto* audio = qobject_cast<const TAVCustomAudioProfile*>(profile))
        ShowAudioInfo(audio->AudioEncoderName(), audio->SampleRate(), audio->AudioBitrate(),
                      audio->AudioChannels());
    if (const auto* video = qobject_cast<const TAVCustomVideoProfile*>(profile))
        ShowVideoInfo(video->VideoEncoderName(), video->FrameWidth(), video->FrameHeight(),
                      video->FrameRateValue(), video->VideoBitrate());
}

} // namespace vc::gui
