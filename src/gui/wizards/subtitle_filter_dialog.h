#pragma once
// TFormSubtitleFilter: a subtitle file burnt into the picture with a chosen installed font.
#include "model/filters/video_filters.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace vc::gui {

class TColorBox;
class TFileEdit;

class TFormSubtitleFilter : public QDialog {
    Q_OBJECT
public:
    explicit TFormSubtitleFilter(QWidget* parent = nullptr);
    void Load(const TSubtitleFilter& filter);
    void Store(TSubtitleFilter& filter) const;

    // The font file of the chosen font name, or an empty string.
    QString FontFile() const;
    // Selects the font whose file is `path` (letter case ignored); none when no font has it.
    void SelectFontFile(const QString& path);

    // The character sets offered for the subtitle file.
    static const QStringList& CodePages();

    TFileEdit* edtSubtitle;
    QComboBox* cbbFont;
    TColorBox* cbColor;
    QComboBox* cbbCodePage;
    QPushButton* btnOk;
    QPushButton* btnCancel;

private:
    void UpdateEnabling();
};

} // namespace vc::gui
