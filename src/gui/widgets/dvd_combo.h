#pragma once
// TDvdCombo: the DVD tab's drive list. It lists the optical drives that hold a video DVD, the
// disc folders and ISO images the user picked, and last an entry that picks another one ("choose
// a disc folder or ISO image…"), since most discs today are copies on disk.
//
// Looking for drives may have to wake a drive up, so RefreshDrives does it on a pool thread and
// fills the list when it is done.
#include <QComboBox>
#include <QString>

#include <functional>
#include <memory>

namespace vc::gui {

class TDvdCombo : public QComboBox {
    Q_OBJECT

public:
    explicit TDvdCombo(QWidget* parent = nullptr);
    ~TDvdCombo() override;

    // Looks for drives again in the background; DrivesRefreshed() follows. Picked locations stay.
    void RefreshDrives();
    // Adds a disc folder, its VIDEO_TS folder or VIDEO_TS.IFO, or an ISO image (the same place is
    // not added twice) and returns its position.
    int AddLocation(const QString& path);

    // The location of an entry (a device, a disc folder or an ISO image); empty for the picking
    // entry and out-of-range positions.
    QString Drive(int index) const;
    // The volume label of an entry's disc ("" when it has none).
    QString VolumeLabel(int index) const;
    bool IsChooseEntry(int index) const;

    // Asks the user for a disc folder or an ISO image; empty when cancelled. A file dialog unless
    // replaced (tests).
    using LocationChooser = std::function<QString(QWidget* parent)>;
    void SetLocationChooser(LocationChooser chooser) { chooser_ = std::move(chooser); }

signals:
    // The user chose an entry that holds a disc (not the picking entry).
    void OnSelect(int index);
    void DrivesRefreshed();

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Lookup;
    enum Role { kDriveRole = Qt::UserRole + 1, kLabelRole, kKindRole };
    enum Kind { kDrive = 1, kPicked = 2, kChoose = 3 };

    void Activated(int index);
    void FillDrives(const QStringList& devices, const QStringList& texts, const QStringList& labels);
    void EnsureChooseEntry();
    static QString ChooseText();

    LocationChooser chooser_;
    std::shared_ptr<Lookup> lookup_;
    int last_index_ = -1; // the entry chosen last, restored when picking is cancelled
};

} // namespace vc::gui
