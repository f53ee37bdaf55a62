#include "gui/dialogs/form_category.h"

#include "platform/message_boxes.h"
#include "tasks/node_object.h"
#include "tasks/task_tree.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace vc::gui {

TFormCategory::TFormCategory(Mode mode, QWidget* parent) : QDialog(parent), mode_(mode) {
    setWindowTitle(mode == Mode::New ? tr("New Category") : tr("Category Properties"));

    edtName_ = new QLineEdit(this);
    edtName_->setObjectName("edtName");
    edtPath_ = new QLineEdit(this);
    edtPath_->setObjectName("edtPath");
    edtPath_->setMinimumWidth(320);
    btnBrowse_ = new QToolButton(this);
    btnBrowse_->setText(QStringLiteral("..."));
    btnBrowse_->setToolTip(tr("选择文件夹"));
    btnOk_ = new QPushButton(tr("确定"), this);
    btnOk_->setDefault(true);
    btnCancel_ = new QPushButton(tr("放弃"), this);

    auto* grid = new QGridLayout;
    auto* name_label = new QLabel(tr("名称:"), this);
    name_label->setBuddy(edtName_);
    auto* path_label = new QLabel(tr("路径:"), this);
    path_label->setBuddy(edtPath_);
    grid->addWidget(name_label, 0, 0);
    grid->addWidget(edtName_, 0, 1, 1, 2);
    grid->addWidget(path_label, 1, 0);
    grid->addWidget(edtPath_, 1, 1);
    grid->addWidget(btnBrowse_, 1, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk_);
    buttons->addWidget(btnCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(edtName_, &QLineEdit::textChanged, this, &TFormCategory::UpdateOk);
    connect(edtPath_, &QLineEdit::textChanged, this, &TFormCategory::UpdateOk);
    connect(btnBrowse_, &QToolButton::clicked, this, &TFormCategory::Browse);
    connect(btnOk_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    UpdateOk();
}

QString TFormCategory::Category() const {
    return edtName_->text().trimmed();
}

QString TFormCategory::Folder() const {
    return edtPath_->text().trimmed();
}

void TFormCategory::SetCategory(const QString& name) {
    edtName_->setText(name);
}

void TFormCategory::SetFolder(const QString& folder) {
    edtPath_->setText(folder);
}

void TFormCategory::UpdateOk() {
    btnOk_->setEnabled(!Category().isEmpty() && !Folder().isEmpty());
}

void TFormCategory::Browse() {
    // The folder in the field when it exists, else the usual place for converted files.
    QString start = Folder();
    if (start.isEmpty() || !QFileInfo(start).isDir())
        start = QDir::homePath() + "/Conversion";
    const QString picked = QFileDialog::getExistingDirectory(this, tr("选择文件夹"), start);
    if (!picked.isEmpty())
        edtPath_->setText(QDir::toNativeSeparators(picked));
}

TConvertedNode* TFormCategory::NewCategory(QWidget* parent_widget, TTaskTree& tree, TConvertedNode* parent) {
    TFormCategory form(Mode::New, parent_widget);
    if (form.exec() != QDialog::Accepted)
        return nullptr;
    try {
        return tree.AddCategory(form.Category(), form.Folder(), parent);
    } catch (const std::exception& e) {
        ShowErrorMessage(e.what());
        return nullptr;
    }
}

bool TFormCategory::EditProperties(QWidget* parent_widget, TTaskTree& tree, TConvertedNode* node) {
    Q_ASSERT(node);
    TFormCategory form(Mode::Properties, parent_widget);
    form.SetCategory(node->Category());
    form.SetFolder(node->Folder());
    if (form.exec() != QDialog::Accepted)
        return false;
    const QString folder = form.Folder();
    if (!QDir().mkpath(folder)) {
        ShowErrorMessage(tr("无法创建文件夹 %1").arg(folder).toStdString());
        return false;
    }
    try {
        tree.UpdateCategory(node, form.Category(), folder);
    } catch (const std::exception& e) {
        ShowErrorMessage(e.what());
        return false;
    }
    return true;
}

} // namespace vc::gui
