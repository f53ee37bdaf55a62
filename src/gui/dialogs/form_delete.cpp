#include "gui/dialogs/form_delete.h"

#include "platform/message_boxes.h"
#include "tasks/av_task.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace vc::gui {

TFormDelete::TFormDelete(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("是否删除？"));

    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    auto* text = new QLabel(tr("删除所选？"), this);
    chkSource_ = new QCheckBox(tr("删除原始文件"), this);
    chkSource_->setChecked(false);
    chkTarget_ = new QCheckBox(tr("删除已经转换的文件"), this);
    chkTarget_->setChecked(true);
    btnYes_ = new QPushButton(tr("是"), this);
    btnNo_ = new QPushButton(tr("否"), this);
    btnNo_->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(text);
    texts->addSpacing(6);
    texts->addWidget(chkSource_);
    texts->addWidget(chkTarget_);
    top->addLayout(texts, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnYes_);
    buttons->addWidget(btnNo_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(btnYes_, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnNo_, &QPushButton::clicked, this, &QDialog::reject);
}

TFormDelete::Choice TFormDelete::Chosen() const {
    return {chkSource_->isChecked(), chkTarget_->isChecked()};
}

std::optional<TFormDelete::Choice> TFormDelete::Ask(QWidget* parent) {
    TFormDelete form(parent);
    if (form.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.Chosen();
}

bool TFormDelete::DeleteTasks(QWidget* parent, const std::vector<TAVTask*>& tasks) {
    const std::optional<Choice> choice = Ask(parent);
    if (!choice)
        return false;
    Apply(tasks, *choice);
    return true;
}

void TFormDelete::Apply(const std::vector<TAVTask*>& tasks, const Choice& choice) {
    for (TAVTask* task : tasks) {
        const TAVTaskStatus status = task->Status();
        try {
            if (status == TConversionSettings::stRunning || status == TConversionSettings::stPaused)
                task->Stop();
            else
                task->Delete(choice.DeleteSource, choice.DeleteTarget);
        } catch (const std::exception& e) {
            // One task the store cannot delete does not keep the others.
            ShowErrorMessage(e.what());
        }
    }
}

} // namespace vc::gui
