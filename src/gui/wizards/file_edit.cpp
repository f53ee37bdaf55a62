#include "gui/wizards/file_edit.h"

#include "gui/wizards/file_chooser.h"

#include <QDir>
#include <QHBoxLayout>
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
    TFileQuestion question;
    switch (mode_) {
    case Mode::Open: question.kind = TFileQuestion::Kind::OpenFile; break;
    case Mode::Save: question.kind = TFileQuestion::Kind::SaveFile; break;
    case Mode::Folder: question.kind = TFileQuestion::Kind::Folder; break;
    }
    question.parent = this;
    question.title = dialog_title_;
    question.filters = filters_;
    question.start = FileName();
    question.picture_preview = picture_preview_;
    const QStringList chosen = ChooseFiles(question);
    if (chosen.isEmpty())
        return;
    const QString picked = QDir::toNativeSeparators(chosen.first());
    if (pick_handler_)
        pick_handler_(picked);
    else
        SetFileName(picked);
}

} // namespace vc::gui
