#include "gui/wizards/file_edit.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace vc::gui {

TFileEdit::TFileEdit(Mode mode, QWidget* parent) : QWidget(parent), mode_(mode) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    edit_ = new QLineEdit(this);
    browse_ = new QToolButton(this);
    browse_->setText(QStringLiteral("..."));
    browse_->setObjectName("btnBrowse");
    layout->addWidget(edit_, 1);
    layout->addWidget(browse_);
    setFocusProxy(edit_);
    connect(browse_, &QToolButton::clicked, this, &TFileEdit::Browse);
    connect(edit_, &QLineEdit::textChanged, this, &TFileEdit::FileNameChanged);
}

QString TFileEdit::FileName() const {
    return edit_->text();
}

void TFileEdit::SetFileName(const QString& name) {
    edit_->setText(name);
}

void TFileEdit::SetReadOnly(bool on) {
    edit_->setReadOnly(on);
}

void TFileEdit::Browse() {
    QFileDialog dialog(this, dialog_title_);
    dialog.setObjectName("FileDialog");
    switch (mode_) {
    case Mode::Open:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case Mode::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    case Mode::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!filters_.isEmpty())
        dialog.setNameFilters(filters_);
    const QString current = FileName().trimmed();
    if (!current.isEmpty()) {
        const QFileInfo info(current);
        if (mode_ == Mode::Folder)
            dialog.setDirectory(current);
        else {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
    }
    if (picture_preview_) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        AddPicturePreview(dialog);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString picked = QDir::toNativeSeparators(dialog.selectedFiles().first());
    if (pick_handler_)
        pick_handler_(picked);
    else
        SetFileName(picked);
}

void AddPicturePreview(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr)
        return; // a native dialog has no room for it
    auto* preview = new QLabel(&dialog);
    preview->setObjectName("PicturePreview");
    preview->setFixedSize(160, 160);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 1, grid->columnCount(), 1, 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize size = reader.size();
        if (size.isValid())
            reader.setScaledSize(size.scaled(preview->size(), Qt::KeepAspectRatio));
        const QImage image = size.isValid() ? reader.read() : QImage();
        if (image.isNull())
            preview->clear();
        else
            preview->setPixmap(QPixmap::fromImage(image));
    });
}

} // namespace vc::gui
