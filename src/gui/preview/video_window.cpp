#include "gui/preview/video_window.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <chrono>

namespace vc::gui {
namespace {
int64_t SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The size of a `width` x `height` picture fitted into `area`, keeping its shape.
QSize Fitted(int width, int height, QSize area) {
    QSize size(width, height);
    if (area.width() > 0 && area.height() > 0)
        size.scale(area, Qt::KeepAspectRatio);
    return size.expandedTo(QSize(1, 1));
}
} // namespace

TVideoWindow::TVideoWindow(QWidget* parent) : QWidget(parent) {
    setObjectName("VideoWindow");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::ClickFocus);
}

TVideoWindow::~TVideoWindow() {
    delete pending_.exchange(nullptr);
}

void TVideoWindow::Present(const PresentedPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0)
        return;
    const uint64_t packed = area_.load();
    const QSize area(static_cast<int>(packed >> 32), static_cast<int>(packed & 0xffffffffu));
    const QSize size = Fitted(picture.width, picture.height, area);
    auto next = std::make_unique<Pending>();
    next->area = area;
    next->image = QImage(size, QImage::Format_RGB32);
    if (next->image.isNull() ||
        !converter_.Convert(picture, next->image.bits(), static_cast<int>(next->image.bytesPerLine()),
                            size.width(), size.height()))
        return;
    next->record.start = picture.start;
    next->record.presented_at = picture.presented_at;
    next->record.presented_ns = SteadyNanoseconds();
    // A picture still waiting is replaced (and freed here, on this thread).
    delete pending_.exchange(next.release());
    ++presented_;
    if (!update_posted_.exchange(true))
        QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

void TVideoWindow::Clear() {
    delete pending_.exchange(nullptr);
    shown_ = QImage();
    shown_area_ = QSize();
    update();
}

bool TVideoWindow::HasPicture() const {
    return pending_.load() != nullptr || !shown_.isNull();
}

QImage TVideoWindow::CurrentImage() const {
    return shown_;
}

void TVideoWindow::SetRecording(bool on) {
    recording_ = on;
    records_.clear();
}

void TVideoWindow::resizeEvent(QResizeEvent* event) {
    const QSize area = event->size() * devicePixelRatioF();
    area_ = uint64_t{static_cast<uint32_t>(area.width())} << 32 | static_cast<uint32_t>(area.height());
    QWidget::resizeEvent(event);
}

void TVideoWindow::paintEvent(QPaintEvent*) {
    update_posted_ = false;
    if (std::unique_ptr<Pending> next{pending_.exchange(nullptr)}) {
        shown_.swap(next->image);
        shown_area_ = next->area;
        if (recording_) {
            next->record.painted_ns = SteadyNanoseconds();
            records_.push_back(next->record);
        }
    }
    QPainter painter(this);
    if (shown_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // The picture was made to fit the area; after a resize it is scaled until the next one comes.
    const qreal ratio = devicePixelRatioF();
    const bool fits = shown_area_ == this->size() * ratio;
    QSize size = shown_.size();
    if (!fits)
        size.scale(this->size() * ratio, Qt::KeepAspectRatio);
    size /= ratio;
    const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    // Black bars beside the picture only: the picture covers the rest.
    QRegion bars(rect());
    bars -= target;
    for (const QRect& bar : bars)
        painter.fillRect(bar, Qt::black);
    if (fits) {
        shown_.setDevicePixelRatio(ratio);
        painter.drawImage(target.topLeft(), shown_);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, shown_);
    }
}

} // namespace vc::gui
