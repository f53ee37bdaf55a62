#pragma once
// A file-name field with a browse button that asks for a file through ChooseFiles (the file
// dialog). The field may be typed into unless it is made read-only (the new-conversion wizard's
// source field).
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace vc::gui {

class TFileEdit : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Open, Save, Folder };
    explicit TFileEdit(Mode mode, QWidget* parent = nullptr);

    QString FileName() const;
    void SetFileName(const QString& name);
    void SetFilters(const QStringList& filters) { filters_ = filters; }
    void SetDialogTitle(const QString& title) { dialog_title_ = title; }
    // Shows a picture of the highlighted file beside the dialog's list.
    void SetPicturePreview(bool on) { picture_preview_ = on; }
    // The field cannot be typed into; only the dialog changes it.
    void SetReadOnly(bool on);
    // When set, a name picked in the dialog is handed here instead of being taken at once; the
    // handler decides (the wizard probes the file first).
    void SetPickHandler(std::function<void(const QString&)> handler) { pick_handler_ = std::move(handler); }

    QLineEdit* Edit() const { return edit_; }
    QToolButton* BrowseButton() const { return browse_; }

    // Asks for a file (what the browse button does).
    void Browse();

signals:
    void FileNameChanged(const QString& name);

private:
    Mode mode_;
    QLineEdit* edit_;
    QToolButton* browse_;
    QStringList filters_;
    QString dialog_title_;
    bool picture_preview_ = false;
    std::function<void(const QString&)> pick_handler_;
};

} // namespace vc::gui
