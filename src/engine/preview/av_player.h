#pragma once
// TAVPlayer: the non-visual player component. It creates a preview source for each file it opens,
// configures it, and offers it to the pin graph it is registered with; the graph adds it when
// activated and the player then renders its pins.
#include "engine/preview/av_config.h"
#include "engine/preview/pin_graph.h"
#include "engine/preview/push_source.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

namespace vc {

class TAVPlayer : public QObject, public FilterProvider {
    Q_OBJECT
    Q_PROPERTY(QString VideoFilters READ VideoFilters WRITE SetVideoFilters)
    Q_PROPERTY(QString AudioFilters READ AudioFilters WRITE SetAudioFilters)
    Q_PROPERTY(int LoopCount READ LoopCount WRITE SetLoopCount)
    Q_PROPERTY(bool DisableAudio READ DisableAudio WRITE SetDisableAudio)
    Q_PROPERTY(int ShowMode READ ShowModeValue WRITE SetShowModeValue)
    Q_PROPERTY(int ThreadCount READ ThreadCount WRITE SetThreadCount)
    Q_CLASSINFO("Default.LoopCount", "1")
    Q_CLASSINFO("Default.DisableAudio", "false")
    Q_CLASSINFO("Default.ShowMode", "0")
    Q_CLASSINFO("Default.ThreadCount", "1")

public:
    explicit TAVPlayer(QObject* parent = nullptr);
    ~TAVPlayer() override;

    // Creates and configures a new source for the name (a path or a "stream:" name) and loads it.
    bool Open(const QString& file_name);

    // Open in two halves, so that a window can load on a worker thread and stay responsive:
    // the configuration as it is now, a source made and loaded from it on any thread, and the
    // loaded source taken as the current one (the previous one is released).
    struct SourceConfig {
        int thread_count = 1;
        std::string video_filters, audio_filters;
        bool disable_audio = false;
        TFFOnBufferEvent on_buffer;
        TFFOnAudioBufferEvent on_audio_buffer;
        int loop_count = 1;
        TAVShowMode show_mode = smYv12;
    };
    SourceConfig Configuration() const;
    // S_OK with the loaded source; a failure result with the source that did not load; or a
    // failure with none when making it raised an error.
    static HResult LoadSource(const SourceConfig& config, const QString& file_name,
                              std::shared_ptr<TFFPushSource>* source);
    void UseSource(std::shared_ptr<TFFPushSource> source, const QString& file_name);

    PinGraph* GetPinGraph() const { return graph_; }
    void SetPinGraph(PinGraph* graph);
    QString VideoFilters() const { return video_filters_; }
    void SetVideoFilters(const QString& filters);
    QString AudioFilters() const { return audio_filters_; }
    void SetAudioFilters(const QString& filters);
    int LoopCount() const { return loop_count_; }
    void SetLoopCount(int count) { loop_count_ = count; }
    bool DisableAudio() const { return disable_audio_; }
    void SetDisableAudio(bool disable);
    TAVShowMode ShowMode() const { return show_mode_; }
    void SetShowMode(TAVShowMode mode);
    int ThreadCount() const { return thread_count_; }
    void SetThreadCount(int count) { thread_count_ = count; }
    void SetOnBuffer(TFFOnBufferEvent event) { on_buffer_ = std::move(event); }
    void SetOnAudioBuffer(TFFOnAudioBufferEvent event) { on_audio_buffer_ = std::move(event); }

    // The current source (none until a file is opened) and the last name opened successfully.
    std::shared_ptr<TFFPushSource> Source() const { return source_; }
    QString FileName() const { return file_name_; }

    // FilterProvider
    std::shared_ptr<BaseFilter> GetFilter() override { return source_; }
    std::string GetName() override { return objectName().toStdString(); }
    void NotifyFilter(Operation operation) override;
    void GraphDestroyed() override { graph_ = nullptr; }

private:
    int ShowModeValue() const { return show_mode_; }
    void SetShowModeValue(int mode) { SetShowMode(static_cast<TAVShowMode>(mode)); }

    PinGraph* graph_ = nullptr;
    QString video_filters_;
    QString audio_filters_;
    int loop_count_ = 1;
    bool disable_audio_ = false;
    TAVShowMode show_mode_ = smYv12;
    int thread_count_ = 1;
    TFFOnBufferEvent on_buffer_;
    TFFOnAudioBufferEvent on_audio_buffer_;
    std::shared_ptr<TFFPushSource> source_;
    QString file_name_;
};

} // namespace vc
