#pragma once
// TFramePreview: the small player the new-conversion wizard embeds. It plays the chosen source
// through the preview pipeline, and the user marks with it where the conversion starts and ends.
//
// Threads: everything here runs on the GUI thread. The source is loaded on a pool thread (the
// window stays responsive and shows a busy cursor meanwhile); pictures arrive on the video pin's
// worker and go straight to the video window; the graph's events (end of stream, a failure, the
// position) arrive on its event thread and are queued to the GUI thread.
#include "engine/preview/av_player.h"
#include "engine/preview/pin_graph.h"
#include "engine/streams/stream.h"

#include <QFrame>
#include <QIcon>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QStatusBar;
class QTimer;
class QToolBar;

namespace vc::gui {

class TTimeTrackBar;
class TVideoWindow;

class TFramePreview : public QFrame {
    Q_OBJECT

public:
    explicit TFramePreview(QWidget* parent = nullptr);
    ~TFramePreview() override;

    // Shows a new source (a path or a "stream:" name). It is loaded in the background; when it is
    // loaded the graph is active and stopped and Opened(true) is emitted. A source that cannot be
    // opened shows "can not open the file %s!" and emits Opened(false); the marks stay as they
    // were. A newer call or StopVideo cancels an open that has not finished.
    void OpenVideoFile(const QString& file);
    // The same for a source made on the loading thread (a DVD title, whose disc is read there):
    // `make` returns the stream, which is played under a "stream:" name for as long as this
    // preview plays it, and released with it. `name` is what the failure message shows. A stream
    // that cannot be made (an exception) fails the open like a file that cannot be read.
    using StreamMaker = std::function<std::shared_ptr<TStream>()>;
    void OpenVideoStream(const StreamMaker& make, const QString& name);
    // The caption of the top bar ("Time Settings" unless the embedding form gives its own).
    void SetTitle(const QString& title);
    // The mark labels' texts before anything is marked (the embedding form may give its own); a
    // newly opened source shows them again.
    void SetInitialMarkTexts(const QString& start, const QString& end);
    // Stops and tears down the preview.
    void StopVideo();
    bool IsOpening() const { return opening_; }

    // The marks: exact positions in microseconds, 0 when not set. The slider's selection shows
    // them in whole seconds.
    int64_t StartMarkUs() const { return start_mark_us_; }
    int64_t EndMarkUs() const { return end_mark_us_; }

    // Playback control, as the buttons and keys do it.
    void Play();
    void Pause();
    void SeekTo(RefTime position);
    // One picture forward or back; only while paused.
    void StepFrame(int direction);

    PinGraph& Graph() { return graph_; }
    TAVPlayer& Player() { return *player_; }
    TVideoWindow* VideoWindow() const { return video_window_; }
    TTimeTrackBar* TimeBar() const { return tb_time_; }
    QAction* PlayAction() const { return act_play_; }
    QAction* SetStartAction() const { return act_set_start_; }
    QAction* SetEndAction() const { return act_set_end_; }
    QLabel* StartLabel() const { return lbl_start_; }
    QLabel* EndLabel() const { return lbl_end_; }
    QWidget* TimePanel() const { return pnl_time_; }
    QString StatusText() const;

    // "h:m:s" without leading zeros, with ".mmm" when the mark is not on a whole second.
    static QString MarkText(int64_t microseconds);

signals:
    void Opened(bool ok);
    // The graph's state changed (played, paused, stopped, reached the end, failed).
    void StateChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct OpenJob;

    void CreateControls();
    void RetranslateUi();
    void StartOpen(const QString& name, std::function<HResult(std::shared_ptr<TFFPushSource>*)> load);
    void OpenFinished(int generation, HResult result, std::shared_ptr<TFFPushSource> source,
                      const QString& file);
    void OnPreviewEvent(const PreviewEvent& event);
    void ShowPosition(RefTime position);
    void UpdateActions();
    void SetStartMark();
    void SetEndMark();
    void FlushSeek();
    void CancelOpen();

    PinGraph graph_;
    std::unique_ptr<TAVPlayer> player_;
    TVideoWindow* video_window_ = nullptr;
    QStatusBar* status_bar_ = nullptr;
    QLabel* status_panel_ = nullptr;
    QToolBar* tlb_navi_ = nullptr;
    QToolBar* tlb_top_ = nullptr;
    QLabel* lbl_time_settings_ = nullptr;
    QWidget* pnl_time_ = nullptr;
    TTimeTrackBar* tb_time_ = nullptr;
    QLabel* lbl_start_ = nullptr;
    QLabel* lbl_end_ = nullptr;
    QAction* act_play_ = nullptr;
    QAction* act_set_start_ = nullptr;
    QAction* act_set_end_ = nullptr;
    QIcon icon_play_, icon_pause_;
    QTimer* seek_timer_ = nullptr;

    std::shared_ptr<OpenJob> open_job_;
    int open_generation_ = 0;
    bool opening_ = false;
    bool at_end_ = false;
    int pending_seek_s_ = -1; // slider position waiting to be sought, -1 when none
    RefTime duration_ = 0;
    QString initial_start_text_, initial_end_text_;
    QString title_; // empty: "Time Settings"
    int64_t start_mark_us_ = 0;
    int64_t end_mark_us_ = 0;
};

} // namespace vc::gui
