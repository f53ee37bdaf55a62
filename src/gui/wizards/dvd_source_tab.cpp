#include "gui/wizards/dvd_source_tab.h"

#include "engine/dvd/dvd_info.h"
#include "engine/dvd/dvd_stream.h"
#include "engine/streams/stream_source.h"
#include "gui/preview/frame_preview.h"
#include "gui/widgets/busy_cursor.h"
#include "gui/widgets/dvd_combo.h"
#include "model/settings/conversion_settings.h"
#include "platform/message_boxes.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>

#include <optional>

namespace vc::gui {

namespace {

QComboBox* PickList(const char* name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(false);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

} // namespace

TDvdSourceTab::TDvdSourceTab(QWidget* parent) : QWidget(parent) {
    setObjectName("tabDvd");
    FCbbDvd = new TDvdCombo(this);
    cbbTitle = PickList("cbbTitle", this);
    cbbAngle = PickList("cbbAngle", this);
    cbbChapter = PickList("cbbChapter", this);
    cbbThrough = PickList("cbbThrough", this);
    // Room for "99(99:99:99)" before the list is filled, so the layout does not squeeze it.
    cbbTitle->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbbTitle->setMinimumContentsLength(12);
    lbl_drive_ = new QLabel(this);
    lbl_title_ = new QLabel(this);
    lbl_angle_ = new QLabel(this);
    lbl_chapter_ = new QLabel(this);
    lbl_through_ = new QLabel(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lbl_drive_, 0, 0);
    grid->addWidget(FCbbDvd, 0, 1, 1, 7);
    grid->addWidget(lbl_title_, 1, 0);
    grid->addWidget(cbbTitle, 1, 1);
    grid->addWidget(lbl_angle_, 1, 2);
    grid->addWidget(cbbAngle, 1, 3);
    grid->addWidget(lbl_chapter_, 1, 4);
    grid->addWidget(cbbChapter, 1, 5);
    grid->addWidget(lbl_through_, 1, 6);
    grid->addWidget(cbbThrough, 1, 7);
    for (int column : {3, 5, 7})
        grid->setColumnStretch(column, 1);
    RetranslateUi();

    connect(FCbbDvd, &TDvdCombo::OnSelect, this, &TDvdSourceTab::DiscChange);
    connect(cbbTitle, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        if (!FScanning)
            TitleChange();
    });
    for (QComboBox* box : {cbbAngle, cbbChapter, cbbThrough})
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
            if (!FScanning)
                emit SourceChanged();
        });
    FCbbDvd->RefreshDrives();
}

TDvdSourceTab::~TDvdSourceTab() = default;

QString TDvdSourceTab::Title() const {
    return tr("DVD");
}

void TDvdSourceTab::RetranslateUi() {
    lbl_drive_->setText(tr("光驱:"));
    lbl_title_->setText(tr("标题:"));
    lbl_angle_->setText(tr("视角:"));
    lbl_chapter_->setText(tr("开始节:"));
    lbl_through_->setText(tr("终了节:"));
}

void TDvdSourceTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QWidget::changeEvent(event);
}

const TDvdTitle* TDvdSourceTab::CurrentTitle() const {
    if (!FDvdInfo || cbbTitle->currentIndex() < 0)
        return nullptr;
    const int position = cbbTitle->currentData().toInt();
    if (position < 0 || position >= FDvdInfo->TitleCount())
        return nullptr;
    return FDvdInfo->Titles(position);
}

int TDvdSourceTab::Number(const QComboBox* box) const {
    return box->currentIndex() < 0 ? 0 : box->currentText().toInt();
}

bool TDvdSourceTab::SourceValid() const {
    // A start chapter after the end chapter would leave nothing to convert.
    return CurrentTitle() != nullptr && Number(cbbChapter) <= Number(cbbThrough);
}

void TDvdSourceTab::DiscChange(int index) {
    const QString drive = FCbbDvd->Drive(index);
    // The same entry (also where a refresh of the drives moved it) is not read again.
    if (index < 0 || drive.isEmpty() || drive == dvd_drive_)
        return;
    FDvdIndex = index;
    dvd_drive_ = drive;
    if (preview_)
        preview_->StopVideo();
    setEnabled(false);
    std::optional<BusyCursor> busy(std::in_place);

    FDvdInfo.reset();
    dvd_volume_.clear();
    {
        const QSignalBlocker block_title(cbbTitle);
        cbbTitle->clear();
        cbbAngle->clear();
        cbbChapter->clear();
        cbbThrough->clear();
    }
    try {
        FDvdInfo = std::make_unique<TDvdInfo>(drive.toStdString());
    } catch (const std::exception&) {
        setEnabled(true);
        busy.reset();
        ShowErrorMessage("Can not open DVD");
        emit SourceChanged();
        return;
    }
    dvd_volume_ = FCbbDvd->VolumeLabel(index);
    {
        const QSignalBlocker block_title(cbbTitle);
        for (int i = 0; i < FDvdInfo->TitleCount(); ++i) {
            const TDvdTitle* title = FDvdInfo->Titles(i);
            cbbTitle->addItem(QString::asprintf("%d(%.2d:%.2d:%.2d)", i + 1, title->Hours(), title->Minutes(),
                                                title->Seconds()),
                              i);
        }
        if (cbbTitle->count() > 0)
            cbbTitle->setCurrentIndex(0);
    }
    setEnabled(true);
    if (cbbTitle->count() > 0)
        TitleChange();
    else
        emit SourceChanged();
}

void TDvdSourceTab::TitleChange() {
    {
        FScanning = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{FScanning};
        cbbAngle->clear();
        cbbChapter->clear();
        cbbThrough->clear();
        if (const TDvdTitle* title = CurrentTitle()) {
            for (int i = 1; i <= title->AngleCount(); ++i)
                cbbAngle->addItem(QString::number(i));
            if (cbbAngle->count() > 0)
                cbbAngle->setCurrentIndex(0);
            for (int i = 1; i <= title->ChapterCount(); ++i) {
                cbbChapter->addItem(QString::number(i));
                cbbThrough->addItem(QString::number(i));
            }
            if (title->ChapterCount() > 0) {
                cbbChapter->setCurrentIndex(0);
                cbbThrough->setCurrentIndex(cbbThrough->count() - 1);
            }
        }
    }
    emit SourceChanged();
}

QString TDvdSourceTab::SourceName() const {
    const TDvdTitle* title = CurrentTitle();
    if (!title)
        return {};
    try {
        auto stream = std::make_shared<TDvdStream>(
            dvd_drive_.toStdString(), title->TitleNumber(), std::max(1, Number(cbbAngle)),
            std::max(1, Number(cbbChapter)), std::max(1, Number(cbbThrough)));
        FDvdStream = std::make_unique<TStreamRegistration>(std::move(stream));
    } catch (const std::exception&) {
        return {}; // the task opens its own stream and reports what it finds
    }
    return QString::fromStdString(FDvdStream->Url());
}

QString TDvdSourceTab::TargetName(const QString& extension) const {
    const TDvdTitle* title = CurrentTitle();
    if (!title)
        return {};
    return ReplaceExtension(QStringLiteral("%1_%2").arg(dvd_volume_).arg(title->TitleNumber()), extension);
}

void TDvdSourceTab::FillSettings(TConversionSettings& settings) const {
    settings.SetSourceType(TConversionSettings::stDvd);
    const TDvdTitle* title = CurrentTitle();
    settings.SetDvdDriver(dvd_drive_);
    settings.SetDvdTitle(title ? title->TitleNumber() : 0);
    settings.SetDvdChapter(Number(cbbChapter));
    settings.SetDvdThrough(Number(cbbThrough));
    settings.SetDvdAngle(Number(cbbAngle));
    settings.SetDvdVolume(dvd_volume_);
}

QString TDvdSourceTab::PreviewKey() const {
    const TDvdTitle* title = CurrentTitle();
    if (!title)
        return {};
    return QStringLiteral("dvd:%1|%2|%3|%4|%5")
        .arg(dvd_drive_)
        .arg(title->TitleNumber())
        .arg(Number(cbbAngle))
        .arg(Number(cbbChapter))
        .arg(Number(cbbThrough));
}

bool TDvdSourceTab::OpenPreview(TFramePreview& preview) {
    const TDvdTitle* title = CurrentTitle();
    if (!title || !SourceValid())
        return false;
    preview_ = &preview;
    const std::string drive = dvd_drive_.toStdString();
    const int number = title->TitleNumber();
    const int angle = std::max(1, Number(cbbAngle));
    const int first = std::max(1, Number(cbbChapter));
    const int last = std::max(1, Number(cbbThrough));
    preview.OpenVideoStream(
        [drive, number, angle, first, last] {
            return std::make_shared<TDvdStream>(drive, number, angle, first, last);
        },
        QStringLiteral("%1 (%2)").arg(dvd_drive_).arg(number));
    return true;
}

} // namespace vc::gui
