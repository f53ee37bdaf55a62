#include "gui/widgets/desktop_alert.h"

#include "gui/widgets/app_emblem.h"
#include "platform/message_boxes.h"
#include "platform/shell.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <vector>

namespace vc::gui {

namespace {

// The alerts open now, oldest first; a new one goes above them. Main thread only.
std::vector<TAVDesktopAlert*>& OpenAlerts() {
    static std::vector<TAVDesktopAlert*> alerts;
    return alerts;
}

// A path that wraps at its separators (a zero-width space after each) and, when very long, is
// cut in the middle so the message keeps to its box.
QString WrappablePath(const QString& path, const QFontMetrics& metrics, int line_width, int lines) {
    const QString shown = metrics.elidedText(path, Qt::ElideMiddle, line_width * lines - line_width / 2);
    QString out;
    out.reserve(shown.size() + shown.size() / 8);
    for (const QChar c : shown) {
        out += c;
        if (c == '/' || c == '\\' || c == '_' || c == '-' || c == '.')
            out += QChar(0x200b);
    }
    return out;
}

} // namespace

TAVDesktopAlert::TAVDesktopAlert(const QString& target_file, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      target_file_(target_file.trimmed()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName("DesktopAlert");
    setFixedSize(kWidth, kHeight);
    setWindowTitle(tr("任务完成"));

    auto* picture = new QLabel(this);
    picture->setPixmap(AppEmblemPixmap(32, devicePixelRatioF()));
    picture->setGeometry(10, 10, 32, 32);

    lblHeader_ = new QLabel(tr("任务完成"), this);
    QFont bold = lblHeader_->font();
    bold.setBold(true);
    lblHeader_->setFont(bold);
    lblHeader_->setGeometry(52, 10, kWidth - 62, 24);

    const QRect message_box(52, 38, kWidth - 62, 72);
    lblMessage_ = new QLabel(this);
    lblMessage_->setWordWrap(true);
    lblMessage_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage_->setGeometry(message_box);
    lblMessage_->setCursor(Qt::PointingHandCursor);
    lblMessage_->setToolTip(target_file_);
    const QFontMetrics metrics(lblMessage_->font());
    const int lines = std::max(1, message_box.height() / std::max(1, metrics.lineSpacing()) - 1);
    lblMessage_->setText(
        tr("%1 点我打开目录.").arg(WrappablePath(target_file_, metrics, message_box.width(), lines)));

    btnFolder_ = new QPushButton(tr("Folder"), this);
    btnFolder_->setGeometry(105, kHeight - 23 - 10, 60, 23);
    btnClose_ = new QPushButton(tr("Close"), this);
    btnClose_->setGeometry(195, kHeight - 23 - 10, 60, 23);
    connect(btnFolder_, &QPushButton::clicked, this, &TAVDesktopAlert::OpenFolder);
    connect(btnClose_, &QPushButton::clicked, this, &TAVDesktopAlert::FadeOut);

    stay_timer_ = new QTimer(this);
    stay_timer_->setSingleShot(true);
    stay_timer_->setInterval(kStayMs);
    connect(stay_timer_, &QTimer::timeout, this, &TAVDesktopAlert::FadeOut);

    fade_ = new QPropertyAnimation(this, "windowOpacity", this);
    fade_->setDuration(kFadeMs);
    setWindowOpacity(0.0); // no flash at full strength before the fade begins

    OpenAlerts().push_back(this);
}

TAVDesktopAlert::~TAVDesktopAlert() {
    auto& alerts = OpenAlerts();
    alerts.erase(std::remove(alerts.begin(), alerts.end(), this), alerts.end());
}

bool TAVDesktopAlert::CanPlaceWindows() {
    return !QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

TAVDesktopAlert* TAVDesktopAlert::ShowAlert(const QString& target_file) {
    // Counted before this one registers itself.
    const int below = static_cast<int>(OpenAlerts().size());
    auto* alert = new TAVDesktopAlert(target_file);
    QRect area(0, 0, 1024, 768);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    const int per_column = std::max(1, (area.height() - kMargin) / (kHeight + kMargin));
    const int slot = below % per_column;
    // Where the compositor places windows itself (Wayland), a position asked for is not kept:
    // the alert goes where the compositor puts it.
    if (CanPlaceWindows())
        alert->move(area.right() + 1 - kMargin - kWidth,
                    area.bottom() + 1 - (slot + 1) * (kHeight + kMargin));
    alert->show();
    return alert;
}

void TAVDesktopAlert::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!faded_in_) {
        faded_in_ = true;
        FadeIn();
    }
}

void TAVDesktopAlert::FadeIn() {
    fade_->stop();
    fade_->setStartValue(0.0);
    fade_->setEndValue(1.0);
    setWindowOpacity(0.0);
    disconnect(fade_, &QPropertyAnimation::finished, nullptr, nullptr);
    connect(fade_, &QPropertyAnimation::finished, this, [this] {
        if (!fading_out_)
            stay_timer_->start();
    });
    fade_->start();
}

void TAVDesktopAlert::FadeOut() {
    if (fading_out_)
        return;
    fading_out_ = true;
    stay_timer_->stop();
    fade_->stop();
    fade_->setStartValue(windowOpacity());
    fade_->setEndValue(0.0);
    disconnect(fade_, &QPropertyAnimation::finished, nullptr, nullptr);
    connect(fade_, &QPropertyAnimation::finished, this, &QWidget::close);
    fade_->start();
}

void TAVDesktopAlert::OpenFolder() {
    if (!QFileInfo::exists(target_file_)) {
        ShowErrorMessage(tr("%1 does not exists.").arg(target_file_).toStdString());
        return;
    }
    ExploreFile(target_file_, true);
    FadeOut();
}

void TAVDesktopAlert::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Window));
    QLinearGradient band(0, 0, 0, 44);
    band.setColorAt(0, pal.color(QPalette::Highlight).lighter(170));
    band.setColorAt(1, pal.color(QPalette::Window));
    painter.fillRect(QRect(0, 0, width(), 44), band);
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TAVDesktopAlert::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    pressed_ = true;
    dragged_ = false;
    press_global_ = event->globalPosition().toPoint();
    press_offset_ = press_global_ - frameGeometry().topLeft();
    event->accept();
}

void TAVDesktopAlert::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_)
        return QWidget::mouseMoveEvent(event);
    const QPoint global = event->globalPosition().toPoint();
    if (!dragged_ && (global - press_global_).manhattanLength() < QApplication::startDragDistance())
        return;
    dragged_ = true;
    if (CanPlaceWindows()) {
        move(global - press_offset_);
    } else if (QWindow* window = windowHandle()) {
        // The compositor moves the window; the press is over once it has taken the drag.
        pressed_ = false;
        window->startSystemMove();
    }
    event->accept();
}

void TAVDesktopAlert::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_)
        return QWidget::mouseReleaseEvent(event);
    pressed_ = false;
    event->accept();
    // A click on the message (not the end of a drag) opens the folder.
    if (!dragged_ && lblMessage_->geometry().contains(event->position().toPoint()))
        OpenFolder();
}

} // namespace vc::gui
