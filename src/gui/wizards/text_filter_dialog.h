#pragma once
// TFormTextFilter: text drawn over the video with a font file.
#include "model/filters/video_filters.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace vc::gui {

class TColorBox;
class TFileEdit;

class TFormTextFilter : public QDialog {
    Q_OBJECT
public:
    explicit TFormTextFilter(QWidget* parent = nullptr);
    void Load(const TOverlayTextFilter& filter);
    void Store(TOverlayTextFilter& filter) const;

    // The lines of the text box, each followed by CR LF.
    QString Text() const;

    QPlainTextEdit* mmoText;
    TFileEdit* edtFont;
    TColorBox* cbbColor;
    TColorBox* cbbBack;
    QSpinBox* edtX;
    QSpinBox* edtY;
    QSpinBox* edtSize;
    QPushButton* btnOk;
    QPushButton* btnCancel;

private:
    void UpdateEnabling();
};

} // namespace vc::gui
