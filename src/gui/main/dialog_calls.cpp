#include "gui/main/dialog_calls.h"

#include "model/settings/configuration.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace vc::gui {

// Small stand-ins for the dialogs until their own windows exist.
class TSimpleDialogs : public QObject {
    Q_OBJECT
};

bool RunDeleteDialog(QWidget* parent, TDeleteChoice& choice) {
    QDialog dialog(parent);
    dialog.setWindowTitle(TSimpleDialogs::tr("是否删除？"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(TSimpleDialogs::tr("删除所选？"), &dialog));
    auto* source = new QCheckBox(TSimpleDialogs::tr("删除原始文件"), &dialog);
    source->setChecked(false);
    auto* target = new QCheckBox(TSimpleDialogs::tr("删除已经转换的文件"), &dialog);
    target->setChecked(true);
    layout->addWidget(source);
    layout->addWidget(target);
    auto* buttons = new QDialogButtonBox(&dialog);
    QObject::connect(buttons->addButton(TSimpleDialogs::tr("是"), QDialogButtonBox::AcceptRole),
                     &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(buttons->addButton(TSimpleDialogs::tr("否"), QDialogButtonBox::RejectRole),
                     &QPushButton::clicked, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice.delete_source = source->isChecked();
    choice.delete_target = target->isChecked();
    return true;
}

bool RunCategoryDialog(QWidget* parent, bool properties, QString& name, QString& folder) {
    QDialog dialog(parent);
    dialog.setWindowTitle(properties ? TSimpleDialogs::tr("Category Properties")
                                     : TSimpleDialogs::tr("New Category"));
    auto* form = new QFormLayout(&dialog);
    auto* name_edit = new QLineEdit(name, &dialog);
    auto* folder_edit = new QLineEdit(folder, &dialog);
    form->addRow(TSimpleDialogs::tr("名称:"), name_edit);
    form->addRow(TSimpleDialogs::tr("路径:"), folder_edit);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* ok = buttons->addButton(TSimpleDialogs::tr("确定"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(TSimpleDialogs::tr("放弃"), QDialogButtonBox::RejectRole);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto update = [&] {
        ok->setEnabled(!name_edit->text().trimmed().isEmpty() && !folder_edit->text().trimmed().isEmpty());
    };
    QObject::connect(name_edit, &QLineEdit::textChanged, &dialog, update);
    QObject::connect(folder_edit, &QLineEdit::textChanged, &dialog, update);
    update();
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    name = name_edit->text().trimmed();
    folder = folder_edit->text().trimmed();
    return true;
}

bool RunOptionsDialog(QWidget*) {
    return false;
}

void RunSetupWizard(QWidget*) {}

void RunAboutBox(QWidget* parent) {
    QMessageBox::about(
        parent, TSimpleDialogs::tr("关于"),
        QString("%1 %2").arg(QApplication::applicationDisplayName(), QApplication::applicationVersion()));
}

void ShowDesktopAlert(const QString&) {}

} // namespace vc::gui

#include "dialog_calls.moc"
