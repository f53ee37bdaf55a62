#include "gui/wizards/logo_filter_dialog.h"

#include "gui/wizards/file_edit.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

namespace vc::gui {

TFormLogoFilter::TFormLogoFilter(QWidget* parent) : QDialog(parent) {
    setObjectName("FormLogoFilter");
    setWindowTitle(tr("LOGO水印滤镜"));
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* form = new QFormLayout;
    auto* position = new QHBoxLayout;
    edtX2 = new QSpinBox(this);
    edtX2->setObjectName("edtX2");
    edtY2 = new QSpinBox(this);
    edtY2->setObjectName("edtY2");
    for (QSpinBox* box : {edtX2, edtY2})
        box->setRange(INT_MIN, INT_MAX);
    position->addWidget(new QLabel(tr("X"), this));
    position->addWidget(edtX2);
    position->addWidget(new QLabel(tr("Y"), this));
    position->addWidget(edtY2);
    position->addStretch();
    form->addRow(position);
    edtLogo = new TFileEdit(TFileEdit::Mode::Open, this);
    edtLogo->setObjectName("edtLogo");
    edtLogo->SetFilters({tr("PNG files (*.png)")});
    edtLogo->SetPicturePreview(true);
    edtLogo->setMinimumWidth(320);
    form->addRow(tr("LOGO路径"), edtLogo);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    btnOk = new QPushButton(tr("添加"), this);
    btnOk->setObjectName("btnOk");
    btnOk->setDefault(true);
    btnCancel = new QPushButton(tr("放弃"), this);
    btnCancel->setObjectName("btnCancel");
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(edtLogo, &TFileEdit::FileNameChanged, this, &TFormLogoFilter::UpdateEnabling);
    UpdateEnabling();
}

void TFormLogoFilter::UpdateEnabling() {
    btnOk->setEnabled(QFileInfo(edtLogo->FileName()).isFile());
}

void TFormLogoFilter::Load(const TLogoFilter& f) {
    edtX2->setValue(f.X());
    edtY2->setValue(f.Y());
    edtLogo->SetFileName(f.LogoFile());
}

void TFormLogoFilter::Store(TLogoFilter& f) const {
    f.SetX(edtX2->value());
    f.SetY(edtY2->value());
    f.SetLogoFile(edtLogo->FileName());
}

} // namespace vc::gui
