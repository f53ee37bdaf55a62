#pragma once
// The pipeline's base classes: renderer input pins, filters with a run state, and the output pin
// that owns a worker thread (the source stream). The worker answers commands from the pipeline
// (init, pause, run, stop, exit) and, while running or paused, loops taking a sample, filling it
// and delivering it downstream.
#include "engine/preview/media_sample.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vc {

class SourceStream;

enum class FilterState { Stopped, Paused, Running };
enum class GraphEvent { Complete, ErrorAbort };

// Receives the events filters and renderers raise (the pin graph).
class EventSink {
public:
    virtual ~EventSink() = default;
    // `message` says what failed, when the raiser knows (ErrorAbort).
    virtual void NotifyEvent(GraphEvent event, HResult param, const std::string& message) = 0;
};

// The downstream side of a connection: a renderer's input pin.
class InputPin {
public:
    virtual ~InputPin() = default;
    virtual HResult QueryAccept(const MediaType& type) = 0;
    // Also called on a connected pin to propose a new type (a dynamic format change).
    virtual HResult ReceiveConnection(SourceStream* from, const MediaType& type) = 0;
    virtual void Disconnect() = 0;
    virtual AllocatorProperties GetAllocatorRequirements() { return {}; }
    virtual HResult NotifyAllocator(const std::shared_ptr<MemAllocator>& allocator, bool read_only) = 0;
    virtual HResult Receive(MediaSample& sample) = 0;
    virtual HResult NewSegment(RefTime start, RefTime stop, double rate) = 0;
    virtual HResult BeginFlush() = 0;
    virtual HResult EndFlush() = 0;
    virtual HResult EndOfStream() = 0;
};

// A source filter: a named object with output pins and a run state.
class BaseFilter {
public:
    explicit BaseFilter(std::string name) : name_(std::move(name)) {}
    virtual ~BaseFilter() = default;
    BaseFilter(const BaseFilter&) = delete;
    BaseFilter& operator=(const BaseFilter&) = delete;

    const std::string& Name() const { return name_; }
    virtual int PinCount() const = 0;
    virtual SourceStream* GetPin(int index) = 0;

    // Stopped -> paused starts the pins' workers; paused/running -> stopped ends them.
    virtual HResult Pause();
    virtual HResult Run(RefTime start);
    virtual HResult Stop();
    FilterState State() const { return state_.load(); }

    void JoinGraph(EventSink* graph);
    void NotifyEvent(GraphEvent event, HResult param, const std::string& message = {});

private:
    std::string name_;
    std::mutex state_mutex_;                               // serialises state changes
    std::atomic<FilterState> state_{FilterState::Stopped}; // read by anyone
    std::atomic<EventSink*> graph_{nullptr};
};

class SourceStream {
public:
    SourceStream(std::string object_name, BaseFilter* filter, std::string pin_name);
    virtual ~SourceStream();
    SourceStream(const SourceStream&) = delete;
    SourceStream& operator=(const SourceStream&) = delete;

    const std::string& ObjectName() const { return object_name_; }
    const std::string& PinName() const { return pin_name_; }
    BaseFilter* Filter() const { return filter_; }

    // Connection. Media types are offered by position; the first the input pin takes wins.
    virtual HResult GetMediaType(int position, MediaType* type) = 0;
    virtual HResult CheckMediaType(const MediaType& type) = 0;
    virtual HResult SetMediaType(const MediaType& type);
    virtual HResult DecideBufferSize(MemAllocator& allocator, AllocatorProperties* request) = 0;
    HResult Connect(InputPin* to);
    void Disconnect();
    bool IsConnected() const;
    InputPin* ConnectedTo() const;
    MediaType CurrentMediaType() const;
    std::shared_ptr<MemAllocator> Allocator() const;

    // Delivery to the connected pin.
    HResult GetDeliveryBuffer(SampleRef* sample);
    HResult Deliver(MediaSample& sample);
    HResult DeliverNewSegment(RefTime start, RefTime stop, double rate);
    HResult DeliverBeginFlush();
    HResult DeliverEndFlush();
    HResult DeliverEndOfStream();

    // The worker thread and its commands.
    HResult Active();   // commit the allocator, start the worker, pause it
    HResult Inactive(); // decommit, stop the worker and let it end
    HResult RunWorker();
    HResult PauseWorker();
    HResult StopWorker();
    bool ThreadExists() const;
    // Wakes a worker waiting for data (called by whoever queues data for it).
    void NotifyData();

protected:
    enum class Command { None, Init, Pause, Run, Stop, Exit };
    bool CheckRequest(Command* command);
    void Reply(HResult result);
    // Waits up to `timeout` for a command or a data notification, without spinning.
    void WaitForRequestOrData(std::chrono::milliseconds timeout);

    virtual HResult DoBufferProcessingLoop();
    virtual HResult FillBuffer(MediaSample& sample) = 0;
    virtual HResult OnThreadStartPlay() { return S_OK; }
    // Adopt `type` as the current type after renegotiation.
    void AdoptMediaType(const MediaType& type);
    // Decommit, decide the buffer size again, notify the input pin, commit.
    HResult ReallocateBuffers();

    // Derived destructors call this first: the worker calls virtual functions.
    void ShutdownWorker();

private:
    Command GetRequest();
    HResult CallWorker(Command command);
    void ThreadProc();
    HResult DecideAllocator(InputPin* to);

    std::string object_name_;
    std::string pin_name_;
    BaseFilter* filter_;

    mutable std::mutex connection_mutex_; // guards connected_, media_type_, allocator_
    InputPin* connected_ = nullptr;
    MediaType media_type_;
    std::shared_ptr<MemAllocator> allocator_;

    std::mutex call_mutex_;              // one caller of the worker at a time
    std::mutex command_mutex_;           // guards request_, reply_, replied_, data_ready_
    std::condition_variable command_cv_; // a request or data arrived
    std::condition_variable reply_cv_;
    Command request_ = Command::None;
    HResult reply_ = S_OK;
    bool replied_ = false;
    bool data_ready_ = false;
    std::thread thread_; // created and joined by the caller of Active / Inactive
    std::atomic<bool> thread_exists_{false};
};

} // namespace vc
