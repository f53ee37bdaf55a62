#pragma once
// The preview's position slider: one position per `TimerInterval` milliseconds (seconds by
// default), a tick every 60 positions, and a selection range (the marked part) drawn over the
// groove.
#include <QSlider>

namespace vc::gui {

class TTimeTrackBar : public QSlider {
    Q_OBJECT

public:
    explicit TTimeTrackBar(QWidget* parent = nullptr);

    int TimerInterval() const { return timer_interval_ms_; }
    int SelStart() const { return sel_start_; }
    int SelEnd() const { return sel_end_; }
    void SetSelStart(int position);
    void SetSelEnd(int position);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int timer_interval_ms_ = 1000;
    int sel_start_ = 0;
    int sel_end_ = 0;
};

} // namespace vc::gui
