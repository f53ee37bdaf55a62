#include "engine/preview/filter_graph.h"

#include <algorithm>

namespace vc {

FilterGraph::FilterGraph() = default;

FilterGraph::~FilterGraph() {
    SetActive(false);
    ClearGraph();
    const auto providers = providers_;
    for (FilterProvider* p : providers)
        p->GraphDestroyed();
}

void FilterGraph::SetVideoPresenter(VideoRenderer::Presenter presenter) {
    std::lock_guard lock(mutex_);
    video_presenter_ = std::move(presenter);
}

void FilterGraph::SetAudioPresenter(AudioRenderer::Presenter presenter) {
    std::lock_guard lock(mutex_);
    audio_presenter_ = std::move(presenter);
}

void FilterGraph::SetClockMode(ClockMode mode) {
    std::lock_guard lock(mutex_);
    clock_mode_ = mode;
}

void FilterGraph::RegisterProvider(FilterProvider* provider) {
    std::lock_guard lock(mutex_);
    if (std::find(providers_.begin(), providers_.end(), provider) == providers_.end())
        providers_.push_back(provider);
}

void FilterGraph::UnregisterProvider(FilterProvider* provider) {
    std::lock_guard lock(mutex_);
    providers_.erase(std::remove(providers_.begin(), providers_.end(), provider), providers_.end());
}

void FilterGraph::SetActive(bool active) {
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

bool FilterGraph::Active() const {
    std::lock_guard lock(mutex_);
    return active_;
}

FilterGraph::State FilterGraph::GetState() const {
    std::lock_guard lock(mutex_);
    return state_;
}

const ReferenceClock* FilterGraph::ClockLocked() const {
    if (clock_mode_ == ClockMode::None)
        return nullptr;
    for (const auto& c : connections_)
        if (auto* audio = dynamic_cast<const AudioRenderer*>(c.renderer.get()))
            return &audio->Clock();
    return &monotonic_clock_;
}

TBCSourceSeeking* FilterGraph::SeekingLocked() const {
    for (const auto& f : filters_)
        if (auto* s = dynamic_cast<TBCSourceSeeking*>(f.get()))
            return s;
    return nullptr;
}

void FilterGraph::StopLocked() {
    // Renderers first: that releases a pin worker waiting in a renderer, so it can end.
    for (auto& c : connections_)
        c.renderer->Stop();
    for (auto& f : filters_)
        f->Stop();
    paused_at_ = 0;
    {
        std::lock_guard events(event_mutex_);
        completed_ = 0;
        aborted_ = false;
        abort_code_ = S_OK;
    }
    if (active_)
        state_ = State::Stopped;
}

void FilterGraph::PauseLocked() {
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
}

void FilterGraph::RunLocked() {
    const ReferenceClock* clock = ClockLocked();
    start_time_ = clock ? clock->Now() - paused_at_ : 0;
    for (auto& c : connections_) {
        c.renderer->SetClock(clock);
        c.renderer->Run(start_time_);
    }
    for (auto& f : filters_)
        f->Run(start_time_);
    state_ = State::Playing;
}

bool FilterGraph::Play() {
    std::lock_guard lock(mutex_);
    if (!active_)
        return false;
    if (state_ == State::Stopped)
        PauseLocked();
    RunLocked();
    return true;
}

bool FilterGraph::Pause() {
    std::lock_guard lock(mutex_);
    if (!active_)
        return false;
    PauseLocked();
    return true;
}

bool FilterGraph::Stop() {
    std::lock_guard lock(mutex_);
    if (!active_)
        return false;
    StopLocked();
    return true;
}

void FilterGraph::ClearGraph() {
    std::lock_guard lock(mutex_);
    StopLocked();
    while (!filters_.empty())
        RemoveFilterLocked(filters_.back());
}

HResult FilterGraph::AddFilter(const std::shared_ptr<BaseFilter>& filter) {
    if (!filter)
        return E_POINTER;
    std::lock_guard lock(mutex_);
    if (std::find(filters_.begin(), filters_.end(), filter) != filters_.end())
        return S_FALSE;
    filters_.push_back(filter);
    filter->JoinGraph(this);
    return S_OK;
}

HResult FilterGraph::RemoveFilter(const std::shared_ptr<BaseFilter>& filter) {
    std::lock_guard lock(mutex_);
    RemoveFilterLocked(filter);
    return S_OK;
}

void FilterGraph::RemoveFilterLocked(const std::shared_ptr<BaseFilter>& filter) {
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
    filter->JoinGraph(nullptr);
    filters_.erase(std::find(filters_.begin(), filters_.end(), filter));
}

HResult FilterGraph::Render(SourceStream* pin) {
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
    return S_OK;
}

HResult FilterGraph::SetPositions(RefTime* current, uint32_t current_flags, RefTime* stop,
                                  uint32_t stop_flags) {
    std::lock_guard lock(mutex_);
    TBCSourceSeeking* seeking = SeekingLocked();
    if (!seeking)
        return E_NOTIMPL;
    const bool was_playing = state_ == State::Playing;
    if (was_playing)
        for (auto& c : connections_)
            c.renderer->Pause();
    {
        std::lock_guard events(event_mutex_);
        completed_ = 0;
    }
    HResult hr = seeking->SetPositions(current, current_flags, stop, stop_flags);
    if (current_flags & AM_SEEKING_PositioningBitsMask) {
        seek_base_ = seeking->StartPosition();
        paused_at_ = 0;
    }
    if (was_playing)
        RunLocked();
    return hr;
}

RefTime FilterGraph::CurrentPosition() const {
    std::lock_guard lock(mutex_);
    const ReferenceClock* clock = ClockLocked();
    RefTime played = paused_at_;
    if (state_ == State::Playing && clock)
        played = clock->Now() - start_time_;
    return seek_base_ + std::max<RefTime>(0, played);
}

RefTime FilterGraph::Duration() const {
    std::lock_guard lock(mutex_);
    RefTime d = 0;
    if (TBCSourceSeeking* s = SeekingLocked())
        s->GetDuration(&d);
    return d;
}

bool FilterGraph::WaitForCompletion(std::chrono::milliseconds timeout, HResult* result) {
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

void FilterGraph::NotifyEvent(GraphEvent event, HResult param) {
    {
        std::lock_guard events(event_mutex_);
        if (event == GraphEvent::Complete) {
            ++completed_;
        } else {
            aborted_ = true;
            abort_code_ = param;
        }
    }
    event_cv_.notify_all();
}

} // namespace vc
