#pragma once
// TFrameProfile: the editing panel of the profile editor. Every change of a control writes all
// controls that have a selection back into the shown profile at once.
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace vc {
class TAVCustomAudioProfile;
}

namespace vc::gui {

class TFrameProfile : public QWidget {
    Q_OBJECT
public:
    explicit TFrameProfile(QWidget* parent = nullptr);

    // Fills the controls from `profile` and shows it from now on; nullptr shows nothing and
    // writes nothing.
    void LoadProfile(TAVCustomAudioProfile* profile);
    TAVCustomAudioProfile* Profile() const { return profile_; }
    void ApplyToProfile();

    QLineEdit* edtDescript;
    QComboBox* cbbFormat;
    QLineEdit* edtExtension;
    QGroupBox* grpAudio;
    QComboBox* cbbSampleRate;
    QComboBox* cbbAudioEncoder;
    QComboBox* cbbChannels;
    QComboBox* cbbAudioBitrate;
    QGroupBox* grpVideo;
    QComboBox* cbbFrameSize;
    QComboBox* cbbVideoEncoder;
    QComboBox* cbbFrameRate;
    QComboBox* cbbVideoBitrate;

signals:
    // The description as typed, after it was written into the profile.
    void DescriptionChanged(const QString& text);

private:
    void Changed();
    TAVCustomAudioProfile* profile_ = nullptr;
    bool loading_ = false;
};

} // namespace vc::gui
