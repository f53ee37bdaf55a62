#pragma once
// TFrameVideoInfo: a summary of the chosen profile's video and audio settings (the target side),
// embedded in both conversion wizards.
#include "model/profiles/profile.h"

#include <QWidget>

class QGroupBox;
class QLabel;

namespace vc::gui {

class TFrameVideoInfo : public QWidget {
    Q_OBJECT
public:
    explicit TFrameVideoInfo(QWidget* parent = nullptr);

    void ShowVideoInfo(const QString& encoder, int width, int height, double frame_rate, int bitrate);
    void ShowAudioInfo(const QString& encoder, int sample_rate, double bitrate,
                       TCustomAudioChannels channels);
    void ClearVideoInfo();
    void ClearAudioInfo();
    // Clears both groups, then shows what a custom audio or video profile sets; other profiles
    // (targets, images, presets) leave the groups empty.
    void ShowProfile(const TAVProfile* profile);

    // The wizards give the groups their own captions.
    void SetCaptions(const QString& video_group, const QStringList& video_captions,
                     const QString& audio_group, const QStringList& audio_captions);

    QGroupBox* grpVideo = nullptr;
    QGroupBox* grpAudio = nullptr;
    QLabel* lblVEncoder = nullptr;
    QLabel* lblFrameRate = nullptr;
    QLabel* lblFrameSize = nullptr;
    QLabel* lblVideoBitrate = nullptr;
    QLabel* lblAudioEncoder = nullptr;
    QLabel* lblChannels = nullptr;
    QLabel* lblSampleRate = nullptr;
    QLabel* lblAudioBitrate = nullptr;

private:
    QList<QLabel*> video_captions_; // encoder, frame rate, frame size, bitrate
    QList<QLabel*> audio_captions_; // encoder, channels, sample rate, bitrate
};

} // namespace vc::gui
