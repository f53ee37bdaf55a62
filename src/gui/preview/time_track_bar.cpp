#include "gui/preview/time_track_bar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

namespace vc::gui {

TTimeTrackBar::TTimeTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setObjectName("tbTime");
    setTickPosition(QSlider::TicksBelow);
    setTickInterval(60);
    setSingleStep(1);
    setPageStep(10);
    setRange(0, 0);
}

void TTimeTrackBar::SetSelStart(int position) {
    if (position == sel_start_)
        return;
    sel_start_ = position;
    update();
}

void TTimeTrackBar::SetSelEnd(int position) {
    if (position == sel_end_)
        return;
    sel_end_ = position;
    update();
}

void TTimeTrackBar::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (sel_end_ <= sel_start_ || maximum() <= minimum())
        return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    auto x_of = [&](int value) {
        const int v = std::clamp(value, minimum(), maximum());
        return groove.x() + handle.width() / 2 +
               QStyle::sliderPositionFromValue(minimum(), maximum(), v, span, option.upsideDown);
    };
    QPainter painter(this);
    QColor band = palette().color(QPalette::Highlight);
    band.setAlpha(150);
    const int y = groove.center().y();
    painter.fillRect(QRect(QPoint(x_of(sel_start_), y - 3), QPoint(x_of(sel_end_), y + 3)), band);
}

} // namespace vc::gui
