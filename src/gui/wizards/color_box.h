#pragma once
// The colour list of the filter dialogs: the 16 standard colours shown by name with a swatch.
// The names are data, not captions: the box filter stores the shown name and hands it to the
// drawing filter, so they stay untranslated.
#include "model/filters/video_filters.h"

#include <QComboBox>

namespace vc::gui {

class TColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorBox(QWidget* parent = nullptr);

    // The shown name of the selected entry, or an empty string.
    QString ColorName() const;
    // Selects the entry of that name (exact); none when no entry matches.
    void SelectColorName(const QString& name);
    // The selected colour as 0x00BBGGRR; 0 (black) when none is selected.
    TColor Color() const;
    // Selects the entry of that colour; a colour outside the list gets an entry of its own.
    void SelectColor(TColor color);

    static TColor StandardColor(const char* name);
};

} // namespace vc::gui
