#include "gui/wizards/color_box.h"

#include "engine/media/format_helpers.h"

#include <QPixmap>

namespace vc::gui {

namespace {

struct NamedColor {
    const char* name;
    quint32 rgb; // 0xRRGGBB
};

constexpr NamedColor kStandardColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF}};

QIcon Swatch(quint32 rgb) {
    QPixmap pixmap(16, 12);
    pixmap.fill(QColor::fromRgb(rgb));
    return QIcon(pixmap);
}

} // namespace

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent) {
    for (const NamedColor& c : kStandardColors)
        addItem(Swatch(c.rgb), QString::fromLatin1(c.name), QVariant::fromValue<quint32>(SwapRedBlue(c.rgb)));
    setCurrentIndex(0);
}

TColor TColorBox::StandardColor(const char* name) {
    for (const NamedColor& c : kStandardColors)
        if (qstrcmp(c.name, name) == 0)
            return SwapRedBlue(c.rgb);
    return 0;
}

QString TColorBox::ColorName() const {
    return currentIndex() < 0 ? QString() : currentText();
}

void TColorBox::SelectColorName(const QString& name) {
    setCurrentIndex(findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

TColor TColorBox::Color() const {
    return currentIndex() < 0 ? 0 : currentData().value<quint32>();
}

void TColorBox::SelectColor(TColor color) {
    int index = findData(QVariant::fromValue<quint32>(color));
    if (index < 0) {
        const quint32 rgb = SwapRedBlue(color);
        addItem(Swatch(rgb), QString::asprintf("#%06X", rgb), QVariant::fromValue<quint32>(color));
        index = count() - 1;
    }
    setCurrentIndex(index);
}

} // namespace vc::gui
