#include "gui/widgets/dvd_combo.h"

#include "platform/optical_drives.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QStyle>
#include <QThreadPool>

#include <mutex>

namespace vc::gui {

namespace {

QString PickLocation(QWidget* parent) {
    // One dialog for both: an ISO image, or the VIDEO_TS.IFO of a disc folder.
    return QFileDialog::getOpenFileName(
        parent, TDvdCombo::tr("choose a disc folder or ISO image…"), QString(),
        TDvdCombo::tr("DVD (*.iso *.ISO VIDEO_TS.IFO video_ts.ifo);;All Files(*.*)"));
}

// What a picked path names as a disc: VIDEO_TS.IFO stands for its folder.
QString DiscLocation(const QString& path) {
    const QFileInfo info(path);
    if (info.isFile() && info.fileName().compare("VIDEO_TS.IFO", Qt::CaseInsensitive) == 0)
        return QDir::cleanPath(info.absolutePath());
    return QDir::cleanPath(info.absoluteFilePath());
}

} // namespace

// The pool thread's way back while the combo lives.
struct TDvdCombo::Lookup {
    std::mutex mutex; // guards combo
    TDvdCombo* combo = nullptr;
};

TDvdCombo::TDvdCombo(QWidget* parent) : QComboBox(parent), chooser_(&PickLocation) {
    setObjectName("FCbbDvd");
    setEditable(false);
    lookup_ = std::make_shared<Lookup>();
    lookup_->combo = this;
    EnsureChooseEntry();
    setCurrentIndex(-1);
    connect(this, qOverload<int>(&QComboBox::activated), this, &TDvdCombo::Activated);
}

TDvdCombo::~TDvdCombo() {
    std::lock_guard lock(lookup_->mutex);
    lookup_->combo = nullptr;
}

QString TDvdCombo::ChooseText() {
    return tr("choose a disc folder or ISO image…");
}

void TDvdCombo::EnsureChooseEntry() {
    for (int i = 0; i < count(); ++i)
        if (itemData(i, kKindRole).toInt() == kChoose)
            return;
    addItem(ChooseText());
    setItemData(count() - 1, kChoose, kKindRole);
}

void TDvdCombo::RefreshDrives() {
    QThreadPool::globalInstance()->start([lookup = lookup_] {
        QStringList devices, texts, labels;
        for (const OpticalDrive& d : ListVideoDvdDrives()) {
            devices << QString::fromStdString(d.device);
            texts << QString::fromStdString(d.DisplayName());
            labels << QString::fromStdString(d.volume_label);
        }
        std::lock_guard lock(lookup->mutex);
        if (TDvdCombo* combo = lookup->combo)
            QMetaObject::invokeMethod(
                combo, [combo, devices, texts, labels] { combo->FillDrives(devices, texts, labels); },
                Qt::QueuedConnection);
    });
}

void TDvdCombo::FillDrives(const QStringList& devices, const QStringList& texts, const QStringList& labels) {
    const QString current = Drive(currentIndex());
    for (int i = count() - 1; i >= 0; --i)
        if (itemData(i, kKindRole).toInt() == kDrive)
            removeItem(i);
    for (int i = 0; i < devices.size(); ++i) {
        insertItem(i, style()->standardIcon(QStyle::SP_DriveDVDIcon), texts[i]);
        setItemData(i, devices[i], kDriveRole);
        setItemData(i, labels[i], kLabelRole);
        setItemData(i, kDrive, kKindRole);
    }
    // Keep the entry that was chosen chosen, wherever it is now.
    int keep = -1;
    for (int i = 0; i < count() && !current.isEmpty(); ++i)
        if (Drive(i) == current)
            keep = i;
    setCurrentIndex(keep);
    last_index_ = keep;
    emit DrivesRefreshed();
}

int TDvdCombo::AddLocation(const QString& path) {
    const QString location = DiscLocation(path);
    for (int i = 0; i < count(); ++i)
        if (Drive(i) == location)
            return i;
    const QString label = QString::fromStdString(vc::VolumeLabel(location.toStdString()));
    // Before the picking entry, which stays last.
    const int at = count() - 1;
    insertItem(at, style()->standardIcon(QStyle::SP_DirIcon),
               QStringLiteral("%1: [%2]").arg(location, label));
    setItemData(at, location, kDriveRole);
    setItemData(at, label, kLabelRole);
    setItemData(at, kPicked, kKindRole);
    return at;
}

QString TDvdCombo::Drive(int index) const {
    if (index < 0 || index >= count())
        return {};
    return itemData(index, kDriveRole).toString();
}

QString TDvdCombo::VolumeLabel(int index) const {
    if (index < 0 || index >= count())
        return {};
    return itemData(index, kLabelRole).toString();
}

bool TDvdCombo::IsChooseEntry(int index) const {
    return index >= 0 && index < count() && itemData(index, kKindRole).toInt() == kChoose;
}

void TDvdCombo::Activated(int index) {
    if (IsChooseEntry(index)) {
        const QString path = chooser_ ? chooser_(this) : QString();
        if (path.isEmpty()) {
            setCurrentIndex(last_index_); // cancelled: back to what was chosen
            return;
        }
        index = AddLocation(path);
        setCurrentIndex(index);
    }
    if (index < 0)
        return;
    last_index_ = index;
    emit OnSelect(index);
}

void TDvdCombo::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        for (int i = 0; i < count(); ++i)
            if (IsChooseEntry(i))
                setItemText(i, ChooseText());
    }
    QComboBox::changeEvent(event);
}

} // namespace vc::gui
