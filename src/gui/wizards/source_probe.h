#pragma once
// The wizards' gate for a picked source file: the media probe runs on a worker thread while the
// window shows a busy cursor and keeps painting; it is given a bounded time.
#include <QString>

class QWidget;

namespace vc::gui {

enum class ProbeResult { Media, NotMedia, TimedOut };

// True when the file opens without error and has a video or an audio stream. `window` takes no
// input while the probe runs. A probe that takes longer than `timeout_ms` counts as not media;
// its thread finishes on its own.
ProbeResult ProbeMediaFile(const QString& path, QWidget* window, int timeout_ms = 15000);

} // namespace vc::gui
