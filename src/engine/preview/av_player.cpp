#include "engine/preview/av_player.h"

#include "platform/error.h"

#include <cstdio>

namespace vc {

TAVPlayer::TAVPlayer(QObject* parent) : QObject(parent) {}

TAVPlayer::~TAVPlayer() {
    if (graph_)
        graph_->UnregisterProvider(this);
}

bool TAVPlayer::Open(const QString& file_name) {
    try {
        source_.reset();
        source_ = std::make_shared<TFFPushSource>("FFMPEG Source Filter");
        source_->SetThreadCount(thread_count_);
        source_->SetVideoFilters(video_filters_.toStdString());
        source_->SetAudioFilters(audio_filters_.toStdString());
        source_->SetDisableAudio(disable_audio_);
        source_->SetOnBuffer(on_buffer_);
        source_->SetOnAudioBuffer(on_audio_buffer_);
        source_->SetLoopCount(loop_count_);
        source_->SetShowMode(show_mode_);
        if (source_->Load(file_name.toStdString()) != S_OK)
            return false; // the source stays referenced, as the graph may still ask for it
        file_name_ = file_name;
        return true;
    } catch (const std::exception&) {
        source_.reset();
        return false;
    }
}

void TAVPlayer::SetFilterGraph(FilterGraph* graph) {
    if (graph == graph_)
        return;
    if (graph_)
        graph_->UnregisterProvider(this);
    graph_ = graph;
    if (graph_)
        graph_->RegisterProvider(this);
}

namespace {
bool SameFilterText(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

void ThrowRenderError(HResult hr) {
    char text[64];
    std::snprintf(text, sizeof text, "Cannot render the preview pin (0x%08X)", static_cast<unsigned>(hr));
    throw Error(text);
}
} // namespace

void TAVPlayer::SetVideoFilters(const QString& filters) {
    if (SameFilterText(filters, video_filters_))
        return;
    video_filters_ = filters;
    if (source_)
        source_->SetVideoFilters(filters.toStdString());
}

void TAVPlayer::SetAudioFilters(const QString& filters) {
    if (SameFilterText(filters, audio_filters_))
        return;
    audio_filters_ = filters;
    if (source_)
        source_->SetAudioFilters(filters.toStdString());
}

void TAVPlayer::SetDisableAudio(bool disable) {
    disable_audio_ = disable;
    if (source_)
        source_->SetDisableAudio(disable);
}

void TAVPlayer::SetShowMode(TAVShowMode mode) {
    if (graph_ && graph_->Active())
        throw Error("Can not change ShowMode when filtergraph is active!");
    show_mode_ = mode;
}

void TAVPlayer::NotifyFilter(Operation operation) {
    switch (operation) {
    case Operation::Added:
        if (!source_ || !graph_)
            return;
        if (source_->HasVideo()) {
            const HResult hr = graph_->Render(source_->GetPin(0));
            if (Failed(hr))
                ThrowRenderError(hr);
        }
        if (source_->HasAudio()) {
            const HResult hr = graph_->Render(source_->GetPin(1));
            if (Failed(hr))
                ThrowRenderError(hr);
        }
        break;
    case Operation::Removing:
        if (source_ && source_->State() != FilterState::Stopped)
            source_->Stop();
        break;
    case Operation::Removed: source_.reset(); break;
    case Operation::Refresh:
        if (graph_) {
            graph_->UnregisterProvider(this);
            graph_->RegisterProvider(this);
        }
        break;
    case Operation::Adding: break;
    }
}

} // namespace vc
