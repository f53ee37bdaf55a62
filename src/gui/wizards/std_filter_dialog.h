#pragma once
// TFormStdFilter: flips, rotation and a drawn box.
#include "model/filters/video_filters.h"

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace vc::gui {

class TColorBox;

class TFormStdFilter : public QDialog {
    Q_OBJECT
public:
    explicit TFormStdFilter(QWidget* parent = nullptr);
    void Load(const TVideoStdFilter& filter);
    void Store(TVideoStdFilter& filter) const;

    QCheckBox* chkVFlip;
    QCheckBox* chkHFlip;
    QCheckBox* chkNegate;
    QCheckBox* chkRotate;
    QSpinBox* edtDegree;
    QCheckBox* chkDrawBox;
    QWidget* pnlBox;
    QSpinBox* edtX;
    QSpinBox* edtY;
    QSpinBox* edtWidth;
    QSpinBox* edtHeight;
    TColorBox* cbColor;
    QPushButton* btnOk;
    QPushButton* btnCancel;

private:
    void UpdateEnabling();
};

} // namespace vc::gui
