#include "gui/preview/video_window.h"

#include <QPaintEvent>
#include <QPainter>

#include <chrono>

namespace vc::gui {
namespace {
int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

TVideoWindow::TVideoWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("VideoWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::ClickFocus);
}

void TVideoWindow::Present(const PresentedPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0)
        return;
    Pending next;
    next.image = QImage(picture.width, picture.height, QImage::Format_RGB32);
    if (next.image.isNull() ||
        !converter_.Convert(picture, next.image.bits(), static_cast<int>(next.image.bytesPerLine()),
                            picture.width, picture.height))
        return;
    next.record.start = picture.start;
    next.record.presented_at = picture.presented_at;
    next.record.presented_ns = SteadyNanoseconds();
    {
        std::lock_guard lock(mutex_);
        pending_ = std::move(next);
        has_pending_ = true;
    }
    ++presented_;
    if (!update_posted_.exchange(true))
        QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void TVideoWindow::Clear() {
    {
        std::lock_guard lock(mutex_);
        pending_ = {};
        has_pending_ = false;
    }
    shown_ = QImage();
    update();
}

bool TVideoWindow::HasPicture() const {
    std::lock_guard lock(mutex_);
    return has_pending_ || !shown_.isNull();
}

QImage TVideoWindow::CurrentImage() const {
    return shown_;
}

void TVideoWindow::SetRecording(bool on) {
    std::lock_guard lock(mutex_);
    recording_ = on;
    records_.clear();
}

std::vector<TVideoWindow::PaintRecord> TVideoWindow::PaintRecords() const {
    std::lock_guard lock(mutex_);
    return records_;
}

void TVideoWindow::paintEvent(QPaintEvent*) {
    update_posted_ = false;
    {
        std::lock_guard lock(mutex_);
        if (has_pending_) {
            shown_ = std::move(pending_.image);
            has_pending_ = false;
            if (recording_) {
                pending_.record.painted_ns = SteadyNanoseconds();
                records_.push_back(pending_.record);
            }
        }
    }
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (shown_.isNull())
        return;
    // Fit the picture into the window, keeping its shape.
    QSize size = shown_.size();
    size.scale(this->size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, shown_);
}

} // namespace vc::gui
