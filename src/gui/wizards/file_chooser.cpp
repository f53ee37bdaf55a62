#include "gui/wizards/file_chooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <utility>

namespace vc::gui {
namespace {

TFileChooser& InstalledChooser() {
    static TFileChooser chooser;
    return chooser;
}

} // namespace

QStringList ChooseFiles(const TFileQuestion& question) {
    const TFileChooser& chooser = InstalledChooser();
    return chooser ? chooser(question) : ChooseWithFileDialog(question);
}

TFileChooser SetFileChooser(TFileChooser chooser) {
    return std::exchange(InstalledChooser(), std::move(chooser));
}

QStringList ChooseWithFileDialog(const TFileQuestion& question) {
    QFileDialog dialog(question.parent, question.title);
    dialog.setObjectName("FileDialog");
    switch (question.kind) {
    case TFileQuestion::Kind::OpenFile:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case TFileQuestion::Kind::OpenFiles:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case TFileQuestion::Kind::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    case TFileQuestion::Kind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!question.filters.isEmpty())
        dialog.setNameFilters(question.filters);
    const QString start = question.start.trimmed();
    if (!start.isEmpty()) {
        if (question.kind == TFileQuestion::Kind::Folder) {
            dialog.setDirectory(start);
        } else {
            const QFileInfo info(start);
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
    }
    if (question.picture_preview) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        AddPicturePreview(dialog);
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
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
