#include "gui/preview/frame_preview.h"

#include "engine/streams/stream_source.h"
#include "gui/preview/time_track_bar.h"
#include "gui/preview/video_window.h"
#include "platform/message_boxes.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QStyle>
#include <QThreadPool>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <mutex>

namespace vc::gui {

namespace {

constexpr auto kTickInterval = std::chrono::milliseconds(200);
// Slider drags are sought at most this often; the last position is sought when it is let go.
constexpr int kSeekCoalesceMs = 80;

// A bracket with an arrow pointing into the marked part: "[" marks the start, "]" the end.
QIcon MarkIcon(bool start) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 90, 160);
    p.setPen(QPen(ink, 2));
    const int x = start ? 4 : 12, dx = start ? 3 : -3;
    p.drawLine(x, 2, x, 14);
    p.drawLine(x, 2, x + dx, 2);
    p.drawLine(x, 14, x + dx, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QPointF arrow[3] = {QPointF(start ? 14 : 2, 8), QPointF(start ? 8 : 8, 4),
                              QPointF(start ? 8 : 8, 12)};
    p.drawPolygon(arrow, 3);
    return QIcon(pixmap);
}

// A position in milliseconds as a time of day.
QString ClockText(int64_t milliseconds) {
    const int64_t ms = std::max<int64_t>(0, milliseconds);
    const QTime t = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms % (24 * 3600 * 1000)));
    return t.toString(QStringLiteral("H:mm:ss"));
}

} // namespace

// The load running on a pool thread reports back through this while the frame lives.
struct TFramePreview::OpenJob {
    std::mutex mutex; // guards receiver
    TFramePreview* receiver = nullptr;
};

TFramePreview::TFramePreview(QWidget* parent) : QFrame(parent), player_(std::make_unique<TAVPlayer>()) {
    setObjectName("FramePreview");
    setFocusPolicy(Qt::StrongFocus);
    open_job_ = std::make_shared<OpenJob>();
    open_job_->receiver = this;

    CreateControls();

    player_->setObjectName("plyPlayer");
    player_->SetDisableAudio(false);
    player_->SetPinGraph(&graph_);
    graph_.SetVideoPresenter([window = video_window_](const PresentedPicture& p) { window->Present(p); });
    graph_.SetEventHandler(
        [this](const PreviewEvent& event) {
            QMetaObject::invokeMethod(
                this, [this, event] { OnPreviewEvent(event); }, Qt::QueuedConnection);
        },
        kTickInterval);

    seek_timer_ = new QTimer(this);
    seek_timer_->setSingleShot(true);
    seek_timer_->setInterval(kSeekCoalesceMs);
    connect(seek_timer_, &QTimer::timeout, this, &TFramePreview::FlushSeek);

    RetranslateUi();
    UpdateActions();
}

TFramePreview::~TFramePreview() {
    {
        std::lock_guard lock(open_job_->mutex);
        open_job_->receiver = nullptr;
    }
    // No event and no picture may reach this frame once it is going: the handler goes first, then
    // the pipeline (its pin workers call the video window).
    graph_.SetEventHandler(nullptr, std::chrono::milliseconds(0));
    graph_.SetActive(false);
    graph_.ClearGraph();
    player_->SetPinGraph(nullptr);
}

void TFramePreview::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tlb_top_ = new QToolBar(this);
    tlb_top_->setObjectName("tlbTop");
    lbl_time_settings_ = new QLabel(tlb_top_);
    tlb_top_->addWidget(lbl_time_settings_);

    video_window_ = new TVideoWindow(this);

    pnl_time_ = new QWidget(this);
    pnl_time_->setObjectName("pnlTime");
    auto* time_layout = new QHBoxLayout(pnl_time_);
    time_layout->setContentsMargins(4, 2, 4, 2);
    tb_time_ = new TTimeTrackBar(pnl_time_);
    time_layout->addWidget(tb_time_);

    icon_play_ = style()->standardIcon(QStyle::SP_MediaPlay);
    icon_pause_ = style()->standardIcon(QStyle::SP_MediaPause);
    act_play_ = new QAction(icon_play_, QString(), this);
    act_play_->setObjectName("actPlay");
    act_set_start_ = new QAction(MarkIcon(true), QString(), this);
    act_set_start_->setObjectName("actSetStart");
    act_set_end_ = new QAction(MarkIcon(false), QString(), this);
    act_set_end_->setObjectName("actSetEnd");

    tlb_navi_ = new QToolBar(this);
    tlb_navi_->setObjectName("tlbNavi");
    tlb_navi_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tlb_navi_->addAction(act_play_);
    tlb_navi_->addSeparator();
    tlb_navi_->addAction(act_set_start_);
    lbl_start_ = new QLabel(tlb_navi_);
    lbl_start_->setObjectName("lblStart");
    lbl_start_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl_start_->setMinimumWidth(90);
    tlb_navi_->addWidget(lbl_start_);
    tlb_navi_->addAction(act_set_end_);
    lbl_end_ = new QLabel(tlb_navi_);
    lbl_end_->setObjectName("lblEnd");
    lbl_end_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbl_end_->setMinimumWidth(90);
    tlb_navi_->addWidget(lbl_end_);

    status_bar_ = new QStatusBar(this);
    status_bar_->setObjectName("StatusBar");
    status_bar_->setSizeGripEnabled(false);
    status_panel_ = new QLabel(status_bar_);
    status_panel_->setMinimumWidth(240);
    status_bar_->addWidget(status_panel_, 1);

    layout->addWidget(tlb_top_);
    layout->addWidget(video_window_, 1);
    layout->addWidget(pnl_time_);
    layout->addWidget(tlb_navi_);
    layout->addWidget(status_bar_);

    connect(act_play_, &QAction::triggered, this, [this] {
        const PinGraph::State state = graph_.GetState();
        if (state == PinGraph::State::Stopped || state == PinGraph::State::Paused)
            Play();
        else
            Pause();
    });
    connect(act_set_start_, &QAction::triggered, this, &TFramePreview::SetStartMark);
    connect(act_set_end_, &QAction::triggered, this, &TFramePreview::SetEndMark);
    connect(tb_time_, &QSlider::valueChanged, this, [this](int value) {
        // Only the user moves the slider with signals on; the position updates block them.
        pending_seek_s_ = value;
        if (!seek_timer_->isActive())
            seek_timer_->start();
    });
    connect(tb_time_, &QSlider::sliderReleased, this, &TFramePreview::FlushSeek);

    SetInitialMarkTexts(QStringLiteral("Start[00:00:00]"), QStringLiteral("End[00:00:00]"));
}

void TFramePreview::SetInitialMarkTexts(const QString& start, const QString& end) {
    initial_start_text_ = start;
    initial_end_text_ = end;
    lbl_start_->setText(start);
    lbl_end_->setText(end);
}

void TFramePreview::SetTitle(const QString& title) {
    title_ = title;
    lbl_time_settings_->setText(title_.isEmpty() ? tr("Time Settings") : title_);
}

void TFramePreview::RetranslateUi() {
    lbl_time_settings_->setText(title_.isEmpty() ? tr("Time Settings") : title_);
    act_set_start_->setText(tr("Set Start"));
    act_set_start_->setToolTip(tr("Set Start"));
    act_set_end_->setText(tr("Set End"));
    act_set_end_->setToolTip(tr("Set End"));
    UpdateActions();
}

void TFramePreview::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QFrame::changeEvent(event);
}

QString TFramePreview::StatusText() const {
    return status_panel_->text();
}

QString TFramePreview::MarkText(int64_t microseconds) {
    const int64_t us = std::max<int64_t>(0, microseconds);
    const int64_t ms = (us + 500) / 1000;
    const int64_t s = ms / 1000;
    QString text = QStringLiteral("%1:%2:%3").arg(s / 3600).arg(s / 60 % 60).arg(s % 60);
    if (ms % 1000 != 0)
        text += QStringLiteral(".%1").arg(ms % 1000, 3, 10, QChar('0'));
    return text;
}

// --- opening ------------------------------------------------------------------------------------

void TFramePreview::CancelOpen() {
    ++open_generation_;
    if (opening_) {
        opening_ = false;
        unsetCursor();
    }
}

void TFramePreview::OpenVideoFile(const QString& file) {
    const TAVPlayer::SourceConfig config = player_->Configuration();
    StartOpen(file, [config, file](std::shared_ptr<TFFPushSource>* source) {
        return TAVPlayer::LoadSource(config, file, source);
    });
}

void TFramePreview::OpenVideoStream(const StreamMaker& make, const QString& name) {
    const TAVPlayer::SourceConfig config = player_->Configuration();
    StartOpen(name, [config, make](std::shared_ptr<TFFPushSource>* source) -> HResult {
        std::shared_ptr<TStream> stream;
        try {
            stream = make();
        } catch (const std::exception&) {
            return E_FAIL;
        }
        if (!stream)
            return E_FAIL;
        // Registered only while the source opens it: the open source holds the stream from then
        // on, so the stream goes when the preview lets go of the source.
        const TStreamRegistration registration(stream);
        return TAVPlayer::LoadSource(config, QString::fromStdString(registration.Url()), source);
    });
}

void TFramePreview::StartOpen(const QString& name,
                              std::function<HResult(std::shared_ptr<TFFPushSource>*)> load) {
    CancelOpen();
    graph_.SetActive(false);
    graph_.ClearGraph();
    status_panel_->clear();
    video_window_->Clear();
    at_end_ = false;
    duration_ = 0;
    UpdateActions();

    opening_ = true;
    setCursor(Qt::BusyCursor);
    const int generation = open_generation_;
    QThreadPool::globalInstance()->start([job = open_job_, load = std::move(load), name, generation] {
        std::shared_ptr<TFFPushSource> source;
        const HResult hr = load(&source);
        std::lock_guard lock(job->mutex);
        if (TFramePreview* receiver = job->receiver)
            QMetaObject::invokeMethod(
                receiver,
                [receiver, generation, hr, source = std::move(source), name]() mutable {
                    receiver->OpenFinished(generation, hr, std::move(source), name);
                },
                Qt::QueuedConnection);
    });
}

void TFramePreview::OpenFinished(int generation, HResult result, std::shared_ptr<TFFPushSource> source,
                                 const QString& file) {
    if (generation != open_generation_)
        return; // a newer open or a stop came first; the source goes with this call
    opening_ = false;
    unsetCursor();
    if (result != S_OK || !source) {
        ShowErrorMessage(tr("can not open the file %1!").arg(file).toStdString());
        UpdateActions();
        emit Opened(false);
        return;
    }
    player_->UseSource(std::move(source), file);
    tb_time_->SetSelEnd(0);
    tb_time_->SetSelStart(0);
    start_mark_us_ = end_mark_us_ = 0;
    lbl_start_->setText(initial_start_text_);
    lbl_end_->setText(initial_end_text_);
    try {
        graph_.SetActive(true);
    } catch (const std::exception&) {
        graph_.SetActive(false);
        graph_.ClearGraph();
        ShowErrorMessage(tr("can not open the file %1!").arg(file).toStdString());
        UpdateActions();
        emit Opened(false);
        return;
    }
    duration_ = graph_.Duration();
    {
        const QSignalBlocker block(tb_time_);
        tb_time_->setRange(0, static_cast<int>((duration_ + kUnitsPerSecond - 1) / kUnitsPerSecond));
        tb_time_->setValue(0);
    }
    ShowPosition(0);
    UpdateActions();
    emit Opened(true);
}

void TFramePreview::StopVideo() {
    CancelOpen();
    seek_timer_->stop();
    pending_seek_s_ = -1;
    if (graph_.Active()) {
        graph_.Stop();
        graph_.SetActive(false);
        graph_.ClearGraph();
    }
    at_end_ = false;
    UpdateActions();
    emit StateChanged();
}

// --- playing ------------------------------------------------------------------------------------

void TFramePreview::Play() {
    if (!graph_.Active())
        return;
    if (at_end_) {
        // Played to the end: play again from the beginning.
        at_end_ = false;
        SeekTo(0);
    }
    graph_.Play();
    UpdateActions();
    emit StateChanged();
}

void TFramePreview::Pause() {
    if (!graph_.Active())
        return;
    graph_.Pause();
    ShowPosition(graph_.CurrentPosition());
    UpdateActions();
    emit StateChanged();
}

void TFramePreview::SeekTo(RefTime position) {
    if (!graph_.Active())
        return;
    RefTime at = std::clamp<RefTime>(position, 0, std::max<RefTime>(0, duration_));
    graph_.SetPositions(&at, AM_SEEKING_AbsolutePositioning, nullptr, 0);
    at_end_ = false;
    ShowPosition(at);
}

void TFramePreview::StepFrame(int direction) {
    if (graph_.GetState() != PinGraph::State::Paused)
        return;
    const auto source = player_->Source();
    const RefTime frame = source ? source->FrameDuration() : 0;
    if (frame <= 0)
        return;
    const RefTime last = std::max<RefTime>(0, duration_ - frame);
    RefTime target = graph_.CurrentPosition() + (direction < 0 ? -frame : frame);
    SeekTo(std::clamp<RefTime>(target, 0, last));
}

void TFramePreview::FlushSeek() {
    seek_timer_->stop();
    if (pending_seek_s_ < 0)
        return;
    const RefTime at = RefTime{pending_seek_s_} * tb_time_->TimerInterval() * (kUnitsPerSecond / 1000);
    pending_seek_s_ = -1;
    SeekTo(at);
}

void TFramePreview::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) &&
        graph_.GetState() == PinGraph::State::Paused) {
        StepFrame(event->key() == Qt::Key_Left ? -1 : 1);
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}

void TFramePreview::OnPreviewEvent(const PreviewEvent& event) {
    if (!graph_.Active())
        return; // from a run that has been torn down
    switch (event.kind) {
    case PreviewEvent::Kind::Position:
        if (graph_.GetState() == PinGraph::State::Playing)
            ShowPosition(event.position);
        break;
    case PreviewEvent::Kind::EndOfStream:
        if (graph_.GetState() != PinGraph::State::Playing)
            break;
        // Rest on the last picture; Play starts again from the beginning.
        graph_.Pause();
        at_end_ = true;
        ShowPosition(duration_);
        UpdateActions();
        emit StateChanged();
        break;
    case PreviewEvent::Kind::ErrorAbort:
        if (graph_.GetState() == PinGraph::State::Stopped)
            break;
        graph_.Stop();
        at_end_ = false;
        status_panel_->setText(QString::fromStdString(event.message));
        UpdateActions();
        emit StateChanged();
        break;
    }
}

void TFramePreview::ShowPosition(RefTime position) {
    if (!tb_time_->isSliderDown() && pending_seek_s_ < 0) {
        const QSignalBlocker block(tb_time_);
        tb_time_->setValue(static_cast<int>(position / (RefTime{tb_time_->TimerInterval()} * 10000)));
    }
    status_panel_->setText(
        tr("进度: %1 影片长度: %2").arg(ClockText(position / 10000), ClockText(duration_ / 10000)));
}

// --- marks --------------------------------------------------------------------------------------

void TFramePreview::SetStartMark() {
    start_mark_us_ = graph_.CurrentPosition() / 10;
    tb_time_->SetSelStart(static_cast<int>(start_mark_us_ / 1000 / tb_time_->TimerInterval()));
    lbl_start_->setText(tr("Start[%1]").arg(MarkText(start_mark_us_)));
}

void TFramePreview::SetEndMark() {
    end_mark_us_ = graph_.CurrentPosition() / 10;
    tb_time_->SetSelEnd(static_cast<int>(end_mark_us_ / 1000 / tb_time_->TimerInterval()));
    lbl_end_->setText(tr("End[%1]").arg(MarkText(end_mark_us_)));
}

// --- enabling -----------------------------------------------------------------------------------

void TFramePreview::UpdateActions() {
    const bool active = graph_.Active();
    const PinGraph::State state = graph_.GetState();
    const bool showing = active && (state == PinGraph::State::Paused || state == PinGraph::State::Playing);
    pnl_time_->setEnabled(showing);
    const bool playing = state == PinGraph::State::Playing;
    act_play_->setEnabled(active);
    act_play_->setIcon(playing ? icon_pause_ : icon_play_);
    const QString hint = playing ? tr("Pause") : tr("Play");
    act_play_->setText(hint);
    act_play_->setToolTip(hint);
    act_set_start_->setEnabled(showing);
    act_set_end_->setEnabled(showing);
}

} // namespace vc::gui
