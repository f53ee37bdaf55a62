#pragma once
// The preview's video area. The video renderer hands it each picture on the pin's worker thread;
// the picture is converted there, already scaled to fit the area, into a QImage, and only the
// newest one waits to be painted, so a busy GUI thread skips pictures instead of queueing them.
// Painting is a plain copy: scaling while painting would have the raster engine split the rows
// over Qt's own worker threads and hold the GUI thread until they all ran, which on a busy machine
// stalls the window for as long as those threads wait for a processor.
#include "engine/preview/picture_bgra.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace vc::gui {

class TVideoWindow : public QWidget {
    Q_OBJECT

public:
    explicit TVideoWindow(QWidget* parent = nullptr);
    ~TVideoWindow() override;

    // Pin worker thread: converts the picture and asks for a repaint unless one is pending.
    void Present(const PresentedPicture& picture);
    // Forget the picture shown (a new source, the preview stopped).
    void Clear();
    bool HasPicture() const;
    // The picture painted last (a copy), for tests and screenshots.
    QImage CurrentImage() const;

    // What happened to each painted picture, kept while recording (tests measure playback). GUI
    // thread only.
    struct PaintRecord {
        RefTime start = 0;        // the picture's stream time
        RefTime presented_at = 0; // stream time when the renderer presented it
        int64_t presented_ns = 0; // steady clock at presentation
        int64_t painted_ns = 0;   // steady clock when it was painted
    };
    void SetRecording(bool on);
    std::vector<PaintRecord> PaintRecords() const { return records_; }
    int PresentedCount() const { return presented_.load(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Pending {
        QImage image;
        QSize area; // the area (device pixels) it was fitted into
        PaintRecord record;
    };

    // The area in device pixels, width << 32 | height, for the pin worker to scale to.
    std::atomic<uint64_t> area_{0};
    PictureToBgra converter_; // pin worker only
    // The newest picture not yet painted, handed over by exchanging the pointer: neither thread
    // ever waits for the other.
    std::atomic<Pending*> pending_{nullptr};
    std::atomic<bool> update_posted_{false};
    std::atomic<int> presented_{0};
    // GUI thread only.
    bool recording_ = false;
    std::vector<PaintRecord> records_;
    QImage shown_;
    QSize shown_area_;
};

} // namespace vc::gui
