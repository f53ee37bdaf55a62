#pragma once
// TFormLogoFilter: a PNG picture laid over the video at a position.
#include "model/filters/video_filters.h"

#include <QDialog>

class QPushButton;
class QSpinBox;

namespace vc::gui {

class TFileEdit;

class TFormLogoFilter : public QDialog {
    Q_OBJECT
public:
    explicit TFormLogoFilter(QWidget* parent = nullptr);
    void Load(const TLogoFilter& filter);
    void Store(TLogoFilter& filter) const;

    QSpinBox* edtX2;
    QSpinBox* edtY2;
    TFileEdit* edtLogo;
    QPushButton* btnOk;
    QPushButton* btnCancel;

private:
    void UpdateEnabling();
};

} // namespace vc::gui
