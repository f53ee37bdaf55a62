#include "gui/wizards/profile_frame.h"

#include "model/profiles/profile.h"
#include "model/profiles/profile_tables.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vc::gui {

namespace {

QComboBox* PickList(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setCurrentIndex(-1);
    return box;
}

template <size_t N> QStringList Names(const std::array<const char*, N>& names) {
    QStringList list;
    for (const char* name : names)
        list << QString::fromLatin1(name);
    return list;
}

QStringList FrameSizeCaptions() {
    QStringList list;
    for (const TFrameSize& size : FrameSizeTable)
        list << QString::fromLatin1(size.Caption);
    return list;
}

} // namespace

TFrameProfile::TFrameProfile(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameProfile");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QFormLayout;
    edtDescript = new QLineEdit(this);
    edtDescript->setObjectName("edtDescript");
    cbbFormat = PickList(this, "cbbFormat", Names(FormatNames));
    edtExtension = new QLineEdit(this);
    edtExtension->setObjectName("edtExtension");
    top->addRow(tr("格式描述"), edtDescript);
    top->addRow(tr("文件格式"), cbbFormat);
    top->addRow(tr("格式后缀"), edtExtension);
    layout->addLayout(top);

    auto* groups = new QHBoxLayout;
    grpAudio = new QGroupBox(tr("音频设置"), this);
    auto* audio = new QFormLayout(grpAudio);
    cbbSampleRate =
        PickList(grpAudio, "cbbSampleRate", {"8000", "16000", "22050", "32000", "41000", "44100", "48000"});
    cbbAudioEncoder = PickList(grpAudio, "cbbAudioEncoder", Names(AudioEncoderNames));
    cbbChannels = PickList(grpAudio, "cbbChannels", Names(ChannelNames));
    cbbAudioBitrate = PickList(grpAudio, "cbbAudioBitrate",
                               {"12.2", "32", "64", "80", "96", "112", "128", "160", "192", "224", "448"});
    audio->addRow(tr("采样率"), cbbSampleRate);
    audio->addRow(tr("音频编码器"), cbbAudioEncoder);
    audio->addRow(tr("声道"), cbbChannels);
    audio->addRow(tr("音频码率(kbps)"), cbbAudioBitrate);

    grpVideo = new QGroupBox(tr("视频设置"), this);
    auto* video = new QFormLayout(grpVideo);
    cbbFrameSize = PickList(grpVideo, "cbbFrameSize", FrameSizeCaptions());
    cbbVideoEncoder = PickList(grpVideo, "cbbVideoEncoder", Names(VideoEncoderNames));
    cbbFrameRate = PickList(grpVideo, "cbbFrameRate", Names(FrameRateNames));
    cbbVideoBitrate =
        PickList(grpVideo, "cbbVideoBitrate",
                 {"128",  "192",  "256",  "384",  "512",  "640",  "768",  "900",  "1000",  "1200",  "1500",
                  "1800", "2000", "2500", "3000", "4000", "5000", "6000", "8000", "12000", "15000", "35000"});
    video->addRow(tr("屏幕尺寸"), cbbFrameSize);
    video->addRow(tr("视频编码器"), cbbVideoEncoder);
    video->addRow(tr("帧率"), cbbFrameRate);
    video->addRow(tr("视频码率(kbps)"), cbbVideoBitrate);
    groups->addWidget(grpAudio, 1);
    groups->addWidget(grpVideo, 1);
    layout->addLayout(groups);
    layout->addStretch();

    for (QComboBox* box : {cbbFormat, cbbSampleRate, cbbAudioEncoder, cbbChannels, cbbAudioBitrate,
                           cbbFrameSize, cbbVideoEncoder, cbbFrameRate, cbbVideoBitrate})
        connect(box, &QComboBox::currentIndexChanged, this, &TFrameProfile::Changed);
    connect(edtExtension, &QLineEdit::textChanged, this, &TFrameProfile::Changed);
    connect(edtDescript, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (loading_ || profile_ == nullptr)
            return;
        ApplyToProfile();
        emit DescriptionChanged(text);
    });
    LoadProfile(nullptr);
}

void TFrameProfile::Changed() {
    if (!loading_ && profile_ != nullptr)
        ApplyToProfile();
}

void TFrameProfile::LoadProfile(TAVCustomAudioProfile* profile) {
    loading_ = true;
    profile_ = profile;
    auto* video_profile = qobject_cast<TAVCustomVideoProfile*>(profile);
    for (QComboBox* box : {cbbFrameSize, cbbVideoEncoder, cbbFrameRate, cbbVideoBitrate}) {
        box->setCurrentIndex(-1);
        box->setEnabled(video_profile != nullptr);
    }
    if (video_profile != nullptr) {
        cbbFrameSize->setCurrentIndex(static_cast<int>(video_profile->FrameSize()));
        cbbVideoEncoder->setCurrentIndex(static_cast<int>(video_profile->VideoEncoder()));
        cbbFrameRate->setCurrentIndex(static_cast<int>(video_profile->FrameRate()));
        cbbVideoBitrate->setCurrentIndex(
            cbbVideoBitrate->findText(QString::number(video_profile->VideoBitrate())));
    }
    if (profile != nullptr) {
        cbbAudioEncoder->setCurrentIndex(static_cast<int>(profile->AudioEncoder()));
        cbbChannels->setCurrentIndex(static_cast<int>(profile->AudioChannels()));
        cbbAudioBitrate->setCurrentIndex(cbbAudioBitrate->findText(QString::number(profile->AudioBitrate())));
        cbbSampleRate->setCurrentIndex(cbbSampleRate->findText(QString::number(profile->SampleRate())));
        edtDescript->setText(profile->Description());
        edtExtension->setText(profile->Extension());
        cbbFormat->setCurrentIndex(static_cast<int>(profile->Format()));
    } else {
        for (QComboBox* box : {cbbAudioEncoder, cbbChannels, cbbAudioBitrate, cbbSampleRate, cbbFormat})
            box->setCurrentIndex(-1);
        edtDescript->clear();
        edtExtension->clear();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{edtDescript, edtExtension, cbbFormat, cbbAudioEncoder,
                                                      cbbChannels, cbbAudioBitrate, cbbSampleRate})
        w->setEnabled(profile != nullptr);
    loading_ = false;
}

void TFrameProfile::ApplyToProfile() {
    TAVCustomAudioProfile* p = profile_;
    if (p == nullptr)
        return;
    if (cbbSampleRate->currentIndex() >= 0)
        p->SetSampleRate(cbbSampleRate->currentText().toInt());
    if (cbbAudioEncoder->currentIndex() >= 0)
        p->SetAudioEncoder(static_cast<TCustomAudioEncoder>(cbbAudioEncoder->currentIndex()));
    if (cbbChannels->currentIndex() >= 0)
        p->SetAudioChannels(static_cast<TCustomAudioChannels>(cbbChannels->currentIndex()));
    if (cbbAudioBitrate->currentIndex() >= 0)
        p->SetAudioBitrate(cbbAudioBitrate->currentText().toDouble());
    if (cbbFormat->currentIndex() >= 0)
        p->SetFormat(static_cast<TCustomAVFormat>(cbbFormat->currentIndex()));
    p->SetExtension(edtExtension->text().trimmed());
    p->SetDescription(edtDescript->text().trimmed());
    if (auto* v = qobject_cast<TAVCustomVideoProfile*>(p)) {
        if (cbbFrameSize->currentIndex() >= 0) {
            const TFrameSize& size = FrameSizeTable.at(static_cast<size_t>(cbbFrameSize->currentIndex()));
            v->SetFrameWidth(size.Width);
            v->SetFrameHeight(size.Height);
        }
        if (cbbVideoEncoder->currentIndex() >= 0)
            v->SetVideoEncoder(static_cast<TCustomVideoEncoder>(cbbVideoEncoder->currentIndex()));
        if (cbbFrameRate->currentIndex() >= 0)
            v->SetFrameRate(static_cast<TCustomFrameRate>(cbbFrameRate->currentIndex()));
        if (cbbVideoBitrate->currentIndex() >= 0)
            v->SetVideoBitrate(cbbVideoBitrate->currentText().toInt());
    }
}

} // namespace vc::gui
