#include "gui/wizards/std_filter_dialog.h"

#include "gui/wizards/color_box.h"
#include "gui/wizards/filter_dialog_parts.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>
#include <tuple>

namespace vc::gui {

TFormStdFilter::TFormStdFilter(QWidget* parent) : QDialog(parent) {
    QVBoxLayout* layout = SetUpFilterDialog(this, "FormStdFilter", tr("自定义标准滤镜"));

    chkVFlip = new QCheckBox(tr("Vertical Flip"), this);
    chkVFlip->setObjectName("chkVFlip");
    chkHFlip = new QCheckBox(tr("Horizontal Flip"), this);
    chkHFlip->setObjectName("chkHFlip");
    chkNegate = new QCheckBox(tr("Negate"), this);
    chkNegate->setObjectName("chkNegate");
    chkNegate->hide();
    layout->addWidget(chkVFlip);
    layout->addWidget(chkHFlip);
    layout->addWidget(chkNegate);

    auto* rotate_row = new QHBoxLayout;
    chkRotate = new QCheckBox(tr("Rotate"), this);
    chkRotate->setObjectName("chkRotate");
    edtDegree = NumberBox(this, "edtDegree", 0, 359, 45);
    rotate_row->addWidget(chkRotate);
    rotate_row->addWidget(edtDegree);
    rotate_row->addWidget(new QLabel(tr("Degrees"), this));
    rotate_row->addStretch();
    layout->addLayout(rotate_row);

    chkDrawBox = new QCheckBox(tr("Draw Box"), this);
    chkDrawBox->setObjectName("chkDrawBox");
    layout->addWidget(chkDrawBox);
    pnlBox = new QWidget(this);
    pnlBox->setObjectName("pnlBox");
    auto* box = new QGridLayout(pnlBox);
    box->setContentsMargins(20, 0, 0, 0);
    edtX = NumberBox(pnlBox, "edtX", INT_MIN, INT_MAX, 0);
    edtY = NumberBox(pnlBox, "edtY", INT_MIN, INT_MAX, 0);
    edtWidth = NumberBox(pnlBox, "edtWidth", INT_MIN, INT_MAX, 0);
    edtHeight = NumberBox(pnlBox, "edtHeight", INT_MIN, INT_MAX, 0);
    cbColor = new TColorBox(pnlBox);
    cbColor->setObjectName("cbColor");
    box->addWidget(new QLabel(tr("X"), pnlBox), 0, 0);
    box->addWidget(edtX, 0, 1);
    box->addWidget(new QLabel(tr("Y"), pnlBox), 0, 2);
    box->addWidget(edtY, 0, 3);
    box->addWidget(new QLabel(tr("Width"), pnlBox), 1, 0);
    box->addWidget(edtWidth, 1, 1);
    box->addWidget(new QLabel(tr("Height"), pnlBox), 1, 2);
    box->addWidget(edtHeight, 1, 3);
    box->addWidget(new QLabel(tr("Color"), pnlBox), 2, 0);
    box->addWidget(cbColor, 2, 1, 1, 3);
    layout->addWidget(pnlBox);

    std::tie(btnOk, btnCancel) = AddFilterDialogButtons(this, layout, tr("确定"), tr("放弃"), true);

    for (QCheckBox* check : {chkVFlip, chkHFlip, chkNegate, chkRotate, chkDrawBox})
        connect(check, &QCheckBox::toggled, this, &TFormStdFilter::UpdateEnabling);
    UpdateEnabling();
}

void TFormStdFilter::UpdateEnabling() {
    edtDegree->setEnabled(chkRotate->isChecked());
    pnlBox->setEnabled(chkDrawBox->isChecked());
    btnOk->setEnabled(chkRotate->isChecked() || chkDrawBox->isChecked() || chkVFlip->isChecked() ||
                      chkHFlip->isChecked() || chkNegate->isChecked());
}

void TFormStdFilter::Load(const TVideoStdFilter& f) {
    chkVFlip->setChecked(f.VerticalFilp());
    chkHFlip->setChecked(f.HorizontalFilip());
    chkNegate->setChecked(f.Negate());
    chkRotate->setChecked(f.Rotate());
    chkDrawBox->setChecked(f.DrawBox());
    edtDegree->setValue(f.Degree());
    edtX->setValue(f.BX());
    edtY->setValue(f.BY());
    edtWidth->setValue(f.BWidth());
    edtHeight->setValue(f.BHeight());
    cbColor->SelectColorName(f.BColor());
}

void TFormStdFilter::Store(TVideoStdFilter& f) const {
    f.SetVerticalFilp(chkVFlip->isChecked());
    f.SetHorizontalFilip(chkHFlip->isChecked());
    f.SetNegate(chkNegate->isChecked());
    f.SetRotate(chkRotate->isChecked());
    f.SetDrawBox(chkDrawBox->isChecked());
    f.SetDegree(edtDegree->value());
    f.SetBX(edtX->value());
    f.SetBY(edtY->value());
    f.SetBWidth(edtWidth->value());
    f.SetBHeight(edtHeight->value());
    f.SetBColor(cbColor->ColorName());
}

} // namespace vc::gui
