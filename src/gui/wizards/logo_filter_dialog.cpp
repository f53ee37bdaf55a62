#include "gui/wizards/logo_filter_dialog.h"

#include "gui/wizards/file_edit.h"
#include "gui/wizards/filter_dialog_parts.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>
#include <tuple>

namespace vc::gui {

TFormLogoFilter::TFormLogoFilter(QWidget* parent) : QDialog(parent) {
    QVBoxLayout* layout = SetUpFilterDialog(this, "FormLogoFilter", tr("LOGO水印滤镜"));
    auto* form = new QFormLayout;
    auto* position = new QHBoxLayout;
    edtX2 = NumberBox(this, "edtX2", INT_MIN, INT_MAX);
    edtY2 = NumberBox(this, "edtY2", INT_MIN, INT_MAX);
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

    std::tie(btnOk, btnCancel) = AddFilterDialogButtons(this, layout, tr("添加"), tr("放弃"), true);
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
