#include "engine/preview/pin_graph.h"

#include <algorithm>

namespace vc {

PinGraph::PinGraph()
    : events_([this]() -> std::optional<RefTime> {
          if (!playing_)
              return std::nullopt;
          // Never wait for the graph here: a caller holding it may be waiting for this thread.
          std::unique_lock lock(mutex_, std::try_to_lock);
          if (!lock.owns_lock() || state_ != State::Playing)
              return std::nullopt;
          return CurrentPositionLocked();
      }) {}

PinGraph::~PinGraph() {
    events_.SetHandler(nullptr, std::chrono::milliseconds(0));
    SetActive(false);
    ClearGraph();
    const auto providers = providers_;
    for (FilterProvider* p : providers)
        p->GraphDestroyed();
}

void PinGraph::SetVideoPresenter(VideoRenderer::Presenter presenter) {
    std::lock_guard lock(mutex_);
    video_presenter_ = std::move(presenter);
}

void PinGraph::SetAudioPresenter(AudioRenderer::Presenter presenter) {
    std::lock_guard lock(mutex_);
    audio_presenter_ = std::move(presenter);
}

void PinGraph::SetClockMode(ClockMode mode) {
    std::lock_guard lock(mutex_);
    clock_mode_ = mode;
}

void PinGraph::RegisterProvider(FilterProvider* provider) {
    std::lock_guard lock(mutex_);
    if (std::find(providers_.begin(), providers_.end(), provider) == providers_.end())
        providers_.push_back(provider);
}

void PinGraph::UnregisterProvider(FilterProvider* provider) {
    std::lock_guard lock(mutex_);
    providers_.erase(std::remove(providers_.begin(), providers_.end(), provider), providers_.end());
}

void PinGraph::SetActive(bool active) {
    std::lock_guard lock(mutex_);
    if (active == active_)
        return;
    if (active) {
        active_ = true;
        state_ = State::Stopped;
        paused_at_ = seek_base_ = 0;
        const auto providers = providers_;
        for (FilterProvider* p : providers) {
            p->NotifyFilter(FilterProvider::Operation::Adding);
            if (auto f = p->GetFilter()) {
                AddFilter(f);
                p->NotifyFilter(FilterProvider::Operation::Added);
            }
        }
        return;
    }
    StopLocked();
    const auto providers = providers_;
    for (FilterProvider* p : providers) {
        auto f = p->GetFilter();
        if (!f || std::find(filters_.begin(), filters_.end(), f) == filters_.end())
            continue;
        p->NotifyFilter(FilterProvider::Operation::Removing);
        RemoveFilterLocked(f);
        p->NotifyFilter(FilterProvider::Operation::Removed);
    }
    while (!filters_.empty())
        RemoveFilterLocked(filters_.back());
    active_ = false;
    state_ = State::Inactive;
}

bool PinGraph::Active() const {
    return active_;
}

PinGraph::State PinGraph::GetState() const {
    return state_;
}

const ReferenceClock* PinGraph::ClockLocked() const {
    if (clock_mode_ == ClockMode::None)
        return nullptr;
    for (const auto& c : connections_)
        if (auto* audio = dynamic_cast<const AudioRenderer*>(c.renderer.get()))
            return &audio->Clock();
    return &monotonic_clock_;
}

TBCSourceSeeking* PinGraph::SeekingLocked() const {
    for (const auto& f : filters_)
        if (auto* s = dynamic_cast<TBCSourceSeeking*>(f.get()))
            return s;
    return nullptr;
}

void PinGraph::StopLocked() {
    // Renderers first: that releases a pin worker waiting in a renderer, so it can end.
    for (auto& c : connections_)
        c.renderer->Stop();
    for (auto& f : filters_)
        f->Stop();
    paused_at_ = 0;
    ResetEventsLocked();
    playing_ = false;
    if (active_)
        state_ = State::Stopped;
}

void PinGraph::ResetEventsLocked() {
    {
        std::lock_guard events(event_mutex_);
        completed_ = 0;
        aborted_ = false;
        abort_code_ = S_OK;
    }
    events_.DropQueued();
}

void PinGraph::PauseLocked() {
    const ReferenceClock* clock = ClockLocked();
    if (state_ == State::Playing)
        paused_at_ = clock ? clock->Now() - start_time_ : 0;
    for (auto& c : connections_) {
        c.renderer->SetClock(clock);
        c.renderer->Pause();
    }
    for (auto& f : filters_)
        f->Pause();
    state_ = State::Paused;
    playing_ = false;
}

void PinGraph::RunLocked() {
    const ReferenceClock* clock = ClockLocked();
    start_time_ = clock ? clock->Now() - paused_at_ : 0;
    for (auto& c : connections_) {
        c.renderer->SetClock(clock);
        c.renderer->Run(start_time_);
    }
    for (auto& f : filters_)
        f->Run(start_time_);
    state_ = State::Playing;
    playing_ = true;
}

bool PinGraph::Play() {
    std::lock_guard lock(mutex_);
    if (!active_)
        return false;
    if (state_ == State::Stopped)
        PauseLocked();
    RunLocked();
    return true;
}

bool PinGraph::Pause() {
    std::lock_guard lock(mutex_);
    if (!active_)
        return false;
    PauseLocked();
    return true;
}

bool PinGraph::Stop() {
    std::lock_guard lock(mutex_);
    if (!active_)
        return false;
    StopLocked();
    return true;
}

void PinGraph::ClearGraph() {
    std::lock_guard lock(mutex_);
    StopLocked();
    while (!filters_.empty())
        RemoveFilterLocked(filters_.back());
}

HResult PinGraph::AddFilter(const std::shared_ptr<BaseFilter>& filter) {
    if (!filter)
        return E_POINTER;
    std::lock_guard lock(mutex_);
    if (std::find(filters_.begin(), filters_.end(), filter) != filters_.end())
        return S_FALSE;
    filters_.push_back(filter);
    filter->JoinGraph(this);
    if (auto* seeking = dynamic_cast<TBCSourceSeeking*>(filter.get())) {
        RefTime duration = 0;
        if (seeking->GetDuration(&duration) == S_OK && duration < kMaxRefTime)
            end_position_ = duration;
    }
    return S_OK;
}

HResult PinGraph::RemoveFilter(const std::shared_ptr<BaseFilter>& filter) {
    std::lock_guard lock(mutex_);
    RemoveFilterLocked(filter);
    return S_OK;
}

void PinGraph::RemoveFilterLocked(const std::shared_ptr<BaseFilter>& filter) {
    auto it = std::find(filters_.begin(), filters_.end(), filter);
    if (it == filters_.end())
        return;
    for (int i = 0; i < filter->PinCount(); ++i) {
        SourceStream* pin = filter->GetPin(i);
        if (!pin)
            continue;
        auto c = std::find_if(connections_.begin(), connections_.end(),
                              [&](const Connection& x) { return x.pin == pin; });
        if (c != connections_.end())
            c->renderer->Stop();
    }
    filter->Stop();
    for (int i = 0; i < filter->PinCount(); ++i) {
        SourceStream* pin = filter->GetPin(i);
        if (!pin)
            continue;
        pin->Disconnect();
        connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                          [&](const Connection& x) { return x.pin == pin; }),
                           connections_.end());
    }
    renderer_count_ = static_cast<int>(connections_.size());
    filter->JoinGraph(nullptr);
    filters_.erase(std::find(filters_.begin(), filters_.end(), filter));
}

HResult PinGraph::Render(SourceStream* pin) {
    if (!pin)
        return E_POINTER;
    std::lock_guard lock(mutex_);
    MediaType type;
    if (pin->GetMediaType(0, &type) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    std::unique_ptr<Renderer> renderer;
    if (type.major == MajorType::Video)
        renderer = std::make_unique<VideoRenderer>(this, video_presenter_);
    else if (type.major == MajorType::Audio)
        renderer = std::make_unique<AudioRenderer>(this, audio_presenter_);
    else
        return VFW_E_TYPE_NOT_ACCEPTED;
    HResult hr = pin->Connect(renderer.get());
    if (Failed(hr))
        return hr;
    connections_.push_back({pin, std::move(renderer)});
    renderer_count_ = static_cast<int>(connections_.size());
    return S_OK;
}

HResult PinGraph::SetPositions(RefTime* current, uint32_t current_flags, RefTime* stop, uint32_t stop_flags) {
    std::lock_guard lock(mutex_);
    TBCSourceSeeking* seeking = SeekingLocked();
    if (!seeking)
        return E_NOTIMPL;
    const bool was_playing = state_ == State::Playing;
    if (was_playing)
        for (auto& c : connections_)
            c.renderer->Pause();
    ResetEventsLocked();
    HResult hr = seeking->SetPositions(current, current_flags, stop, stop_flags);
    if (current_flags & AM_SEEKING_PositioningBitsMask) {
        seek_base_ = seeking->StartPosition();
        paused_at_ = 0;
    }
    if (was_playing)
        RunLocked();
    events_.Post({PreviewEvent::Kind::Position, S_OK, CurrentPositionLocked(), {}});
    return hr;
}

RefTime PinGraph::CurrentPosition() const {
    std::lock_guard lock(mutex_);
    return CurrentPositionLocked();
}

RefTime PinGraph::CurrentPositionLocked() const {
    const ReferenceClock* clock = ClockLocked();
    RefTime played = paused_at_;
    if (state_ == State::Playing && clock)
        played = clock->Now() - start_time_;
    RefTime position = seek_base_ + std::max<RefTime>(0, played);
    // The clock runs on after the last sample; the position stops at the end.
    if (TBCSourceSeeking* s = SeekingLocked()) {
        RefTime duration = 0;
        if (s->GetDuration(&duration) == S_OK && duration > 0 && duration < kMaxRefTime)
            position = std::min(position, duration);
    }
    return position;
}

RefTime PinGraph::Duration() const {
    std::lock_guard lock(mutex_);
    RefTime d = 0;
    if (TBCSourceSeeking* s = SeekingLocked())
        s->GetDuration(&d);
    return d;
}

bool PinGraph::WaitForCompletion(std::chrono::milliseconds timeout, HResult* result) {
    size_t renderers = 0;
    {
        std::lock_guard lock(mutex_);
        renderers = connections_.size();
    }
    std::unique_lock events(event_mutex_);
    const bool done = event_cv_.wait_for(events, timeout, [&] {
        return aborted_ || (renderers > 0 && completed_ >= static_cast<int>(renderers));
    });
    if (result)
        *result = aborted_ ? abort_code_ : S_OK;
    return done;
}

void PinGraph::SetEventHandler(PreviewEventHandler handler, std::chrono::milliseconds tick_interval) {
    events_.SetHandler(std::move(handler), tick_interval);
}

void PinGraph::NotifyEvent(GraphEvent event, HResult param, const std::string& message) {
    // Called on a pin's worker or the decoding thread: only the event lock is taken here, never
    // the graph's, which a caller stopping the graph holds while it waits for those threads.
    std::optional<PreviewEvent> owner_event;
    {
        std::lock_guard events(event_mutex_);
        if (event == GraphEvent::Complete) {
            ++completed_;
            if (completed_ == renderer_count_.load())
                owner_event = PreviewEvent{PreviewEvent::Kind::EndOfStream, S_OK, 0, {}};
        } else if (!aborted_) {
            aborted_ = true;
            abort_code_ = param;
            owner_event = PreviewEvent{PreviewEvent::Kind::ErrorAbort, param, 0, message};
        }
    }
    event_cv_.notify_all();
    if (owner_event) {
        // The position without the graph's lock: the end of the source, or unknown.
        owner_event->position = event == GraphEvent::Complete ? end_position_.load() : -1;
        events_.Post(std::move(*owner_event));
    }
}

} // namespace vc
