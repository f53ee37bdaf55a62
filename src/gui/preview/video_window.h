#pragma once
// The preview's video area. The video renderer hands it each picture on the pin's worker thread;
// the picture is copied into a QImage there and only the newest one waits to be painted, so a busy
// GUI thread skips pictures instead of queueing them.
#include "engine/preview/picture_bgra.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vc::gui {

class TVideoWindow : public QWidget {
    Q_OBJECT

public:
    explicit TVideoWindow(QWidget* parent = nullptr);

    // Pin worker thread: copies the picture and asks for a repaint unless one is pending.
    void Present(const PresentedPicture& picture);
    // Forget the picture shown (a new source, the preview stopped).
    void Clear();
    bool HasPicture() const;
    // The picture painted last (a copy), for tests and screenshots.
    QImage CurrentImage() const;

    // What happened to each painted picture, kept while recording (tests measure playback).
    struct PaintRecord {
        RefTime start = 0;        // the picture's stream time
        RefTime presented_at = 0; // stream time when the renderer presented it
        int64_t presented_ns = 0; // steady clock at presentation
        int64_t painted_ns = 0;   // steady clock when it was painted
    };
    void SetRecording(bool on);
    std::vector<PaintRecord> PaintRecords() const;
    int PresentedCount() const { return presented_.load(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Pending {
        QImage image;
        PaintRecord record;
    };

    PictureToBgra converter_;  // pin worker only
    mutable std::mutex mutex_; // guards pending_, has_pending_, records_, recording_
    Pending pending_;
    bool has_pending_ = false;
    bool recording_ = false;
    std::vector<PaintRecord> records_;
    std::atomic<bool> update_posted_{false};
    std::atomic<int> presented_{0};
    // GUI thread only.
    QImage shown_;
};

} // namespace vc::gui
