#include "engine/preview/source_stream.h"

#include <pthread.h>

namespace vc {

HResult BaseFilter::Pause() {
    std::lock_guard lock(state_mutex_);
    if (state_ == FilterState::Stopped) {
        for (int i = 0; i < PinCount(); ++i) {
            SourceStream* pin = GetPin(i);
            if (pin && pin->IsConnected()) {
                HResult hr = pin->Active();
                if (Failed(hr))
                    return hr;
            }
        }
    }
    state_ = FilterState::Paused;
    return S_OK;
}

HResult BaseFilter::Run(RefTime /*start*/) {
    if (state_ == FilterState::Stopped) {
        HResult hr = Pause();
        if (Failed(hr))
            return hr;
    }
    std::lock_guard lock(state_mutex_);
    state_ = FilterState::Running;
    return S_OK;
}

HResult BaseFilter::Stop() {
    std::lock_guard lock(state_mutex_);
    if (state_ != FilterState::Stopped) {
        for (int i = 0; i < PinCount(); ++i)
            if (SourceStream* pin = GetPin(i))
                pin->Inactive();
    }
    state_ = FilterState::Stopped;
    return S_OK;
}

void BaseFilter::JoinGraph(EventSink* graph) {
    graph_ = graph;
}

void BaseFilter::NotifyEvent(GraphEvent event, HResult param, const std::string& message) {
    if (EventSink* g = graph_.load())
        g->NotifyEvent(event, param, message);
}

SourceStream::SourceStream(std::string object_name, BaseFilter* filter, std::string pin_name)
    : object_name_(std::move(object_name)), pin_name_(std::move(pin_name)), filter_(filter) {}

SourceStream::~SourceStream() {
    ShutdownWorker();
}

void SourceStream::ShutdownWorker() {
    if (thread_.joinable())
        Inactive();
}

HResult SourceStream::SetMediaType(const MediaType& type) {
    std::lock_guard lock(connection_mutex_);
    media_type_ = type;
    return S_OK;
}

void SourceStream::AdoptMediaType(const MediaType& type) {
    SetMediaType(type);
}

HResult SourceStream::Connect(InputPin* to) {
    if (!to)
        return E_POINTER;
    if (IsConnected())
        return VFW_E_WRONG_STATE;
    MediaType type;
    for (int position = 0; GetMediaType(position, &type) == S_OK; ++position) {
        if (CheckMediaType(type) != S_OK || to->ReceiveConnection(this, type) != S_OK)
            continue;
        SetMediaType(type);
        {
            std::lock_guard lock(connection_mutex_);
            connected_ = to;
        }
        HResult hr = DecideAllocator(to);
        if (Failed(hr)) {
            Disconnect();
            return hr;
        }
        return S_OK;
    }
    return VFW_E_TYPE_NOT_ACCEPTED;
}

HResult SourceStream::DecideAllocator(InputPin* to) {
    auto allocator = MemAllocator::Create();
    AllocatorProperties props = to->GetAllocatorRequirements();
    HResult hr = DecideBufferSize(*allocator, &props);
    if (Failed(hr))
        return hr;
    hr = to->NotifyAllocator(allocator, false);
    if (Failed(hr))
        return hr;
    std::lock_guard lock(connection_mutex_);
    allocator_ = std::move(allocator);
    return S_OK;
}

HResult SourceStream::ReallocateBuffers() {
    auto allocator = Allocator();
    InputPin* to = ConnectedTo();
    if (!allocator || !to)
        return VFW_E_NOT_CONNECTED;
    const bool was_committed = allocator->IsCommitted();
    allocator->Decommit();
    AllocatorProperties props = allocator->GetProperties();
    HResult hr = DecideBufferSize(*allocator, &props);
    if (Succeeded(hr))
        hr = to->NotifyAllocator(allocator, false);
    if (was_committed)
        allocator->Commit();
    return hr;
}

void SourceStream::Disconnect() {
    InputPin* to = nullptr;
    {
        std::lock_guard lock(connection_mutex_);
        to = connected_;
        connected_ = nullptr;
        allocator_.reset();
    }
    if (to)
        to->Disconnect();
}

bool SourceStream::IsConnected() const {
    std::lock_guard lock(connection_mutex_);
    return connected_ != nullptr;
}

InputPin* SourceStream::ConnectedTo() const {
    std::lock_guard lock(connection_mutex_);
    return connected_;
}

MediaType SourceStream::CurrentMediaType() const {
    std::lock_guard lock(connection_mutex_);
    return media_type_;
}

std::shared_ptr<MemAllocator> SourceStream::Allocator() const {
    std::lock_guard lock(connection_mutex_);
    return allocator_;
}

HResult SourceStream::GetDeliveryBuffer(SampleRef* sample) {
    auto allocator = Allocator();
    if (!allocator)
        return VFW_E_NOT_CONNECTED;
    return allocator->GetBuffer(sample);
}

HResult SourceStream::Deliver(MediaSample& sample) {
    InputPin* to = ConnectedTo();
    return to ? to->Receive(sample) : VFW_E_NOT_CONNECTED;
}

HResult SourceStream::DeliverNewSegment(RefTime start, RefTime stop, double rate) {
    InputPin* to = ConnectedTo();
    return to ? to->NewSegment(start, stop, rate) : VFW_E_NOT_CONNECTED;
}

HResult SourceStream::DeliverBeginFlush() {
    InputPin* to = ConnectedTo();
    return to ? to->BeginFlush() : VFW_E_NOT_CONNECTED;
}

HResult SourceStream::DeliverEndFlush() {
    InputPin* to = ConnectedTo();
    return to ? to->EndFlush() : VFW_E_NOT_CONNECTED;
}

HResult SourceStream::DeliverEndOfStream() {
    InputPin* to = ConnectedTo();
    return to ? to->EndOfStream() : VFW_E_NOT_CONNECTED;
}

HResult SourceStream::Active() {
    if (ThreadExists())
        return S_OK;
    auto allocator = Allocator();
    if (!allocator)
        return VFW_E_NOT_CONNECTED;
    HResult hr = allocator->Commit();
    if (Failed(hr))
        return hr;
    thread_ = std::thread([this] { ThreadProc(); });
    thread_exists_ = true;
    hr = CallWorker(Command::Init);
    if (Failed(hr)) {
        Inactive();
        return hr;
    }
    return CallWorker(Command::Pause);
}

HResult SourceStream::Inactive() {
    if (auto allocator = Allocator())
        allocator->Decommit(); // wakes a worker waiting for a buffer
    if (!thread_.joinable())
        return S_OK;
    CallWorker(Command::Stop);
    CallWorker(Command::Exit);
    thread_.join();
    thread_exists_ = false;
    return S_OK;
}

HResult SourceStream::RunWorker() {
    return ThreadExists() ? CallWorker(Command::Run) : E_FAIL;
}
HResult SourceStream::PauseWorker() {
    return ThreadExists() ? CallWorker(Command::Pause) : E_FAIL;
}
HResult SourceStream::StopWorker() {
    return ThreadExists() ? CallWorker(Command::Stop) : E_FAIL;
}
bool SourceStream::ThreadExists() const {
    return thread_exists_.load();
}

void SourceStream::NotifyData() {
    {
        std::lock_guard lock(command_mutex_);
        data_ready_ = true;
    }
    command_cv_.notify_all();
}

HResult SourceStream::CallWorker(Command command) {
    std::lock_guard call(call_mutex_);
    std::unique_lock lock(command_mutex_);
    request_ = command;
    replied_ = false;
    command_cv_.notify_all();
    reply_cv_.wait(lock, [&] { return replied_; });
    return reply_;
}

bool SourceStream::CheckRequest(Command* command) {
    std::lock_guard lock(command_mutex_);
    if (request_ == Command::None)
        return false;
    *command = request_;
    return true;
}

SourceStream::Command SourceStream::GetRequest() {
    std::unique_lock lock(command_mutex_);
    command_cv_.wait(lock, [&] { return request_ != Command::None; });
    return request_;
}

void SourceStream::Reply(HResult result) {
    {
        std::lock_guard lock(command_mutex_);
        request_ = Command::None;
        reply_ = result;
        replied_ = true;
    }
    reply_cv_.notify_all();
}

void SourceStream::WaitForRequestOrData(std::chrono::milliseconds timeout) {
    std::unique_lock lock(command_mutex_);
    command_cv_.wait_for(lock, timeout, [&] { return request_ != Command::None || data_ready_; });
    data_ready_ = false;
}

void SourceStream::ThreadProc() {
    pthread_setname_np(pthread_self(), "preview-pin");
    Command command = Command::None;
    do {
        command = GetRequest();
        switch (command) {
        case Command::Init:
        case Command::Stop:
        case Command::Exit: Reply(S_OK); break;
        case Command::Run:
        case Command::Pause:
            Reply(S_OK);
            DoBufferProcessingLoop();
            break;
        case Command::None: Reply(E_NOTIMPL); break;
        }
    } while (command != Command::Exit);
}

HResult SourceStream::DoBufferProcessingLoop() {
    HResult hr = OnThreadStartPlay();
    if (Failed(hr))
        return hr;
    Command command = Command::None;
    SampleRef sample;
    for (;;) {
        while (!CheckRequest(&command)) {
            sample = SampleRef();
            if (Failed(GetDeliveryBuffer(&sample))) {
                // No buffer (decommitted during a stop or a format change): try again shortly.
                WaitForRequestOrData(std::chrono::milliseconds(1));
                continue;
            }
            hr = FillBuffer(*sample);
            if (hr == S_OK) {
                HResult delivered = Deliver(*sample);
                sample.Release();
                if (delivered != S_OK)
                    return S_OK; // downstream refused (flushing or stopping): no end of stream
                continue;
            }
            if (hr == kFillNoDataYet) {
                sample.Release();
                // Nothing queued yet: sleep until the decoder queues data or a command comes.
                WaitForRequestOrData(std::chrono::milliseconds(10));
                continue;
            }
            // End of the stream or a failure.
            sample.Release();
            DeliverEndOfStream();
            if (hr != S_FALSE)
                filter_->NotifyEvent(GraphEvent::ErrorAbort, hr);
            return hr == S_FALSE ? S_OK : hr;
        }
        if (command == Command::Run || command == Command::Pause) {
            Reply(S_OK);
        } else if (command == Command::Stop) {
            return S_FALSE; // the thread procedure answers the stop
        } else {
            Reply(E_UNEXPECTED);
        }
    }
}

} // namespace vc
