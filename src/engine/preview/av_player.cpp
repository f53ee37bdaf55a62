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
    source_.reset();
    std::shared_ptr<TFFPushSource> source;
    const HResult hr = LoadSource(Configuration(), file_name, &source);
    source_ = std::move(source); // a source that did not load stays referenced
    if (hr != S_OK)
        return false;
    file_name_ = file_name;
    return true;
}

TAVPlayer::SourceConfig TAVPlayer::Configuration() const {
    SourceConfig c;
    c.thread_count = thread_count_;
    c.video_filters = video_filters_.toStdString();
    c.audio_filters = audio_filters_.toStdString();
    c.disable_audio = disable_audio_;
    c.on_buffer = on_buffer_;
    c.on_audio_buffer = on_audio_buffer_;
    c.loop_count = loop_count_;
    c.show_mode = show_mode_;
    return c;
}

HResult TAVPlayer::LoadSource(const SourceConfig& config, const QString& file_name,
                              std::shared_ptr<TFFPushSource>* source) {
    source->reset();
    try {
        auto s = std::make_shared<TFFPushSource>("FFMPEG Source Filter");
        s->SetThreadCount(config.thread_count);
        s->SetVideoFilters(config.video_filters);
        s->SetAudioFilters(config.audio_filters);
        s->SetDisableAudio(config.disable_audio);
        s->SetOnBuffer(config.on_buffer);
        s->SetOnAudioBuffer(config.on_audio_buffer);
        s->SetLoopCount(config.loop_count);
        s->SetShowMode(config.show_mode);
        const HResult hr = s->Load(file_name.toStdString());
        *source = std::move(s);
        return hr == S_OK ? S_OK : (Failed(hr) ? hr : E_FAIL);
    } catch (const std::exception&) {
        source->reset();
        return E_FAIL;
    }
}

void TAVPlayer::UseSource(std::shared_ptr<TFFPushSource> source, const QString& file_name) {
    source_ = std::move(source);
    file_name_ = file_name;
}

void TAVPlayer::SetPinGraph(PinGraph* graph) {
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
