#pragma once
// Filter-graph descriptions inserted between decoder and encoder.
#include "engine/options/persistent.h"

#include <QString>

namespace vc {

class TFilterOptions : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString VideoFilters READ VideoFilters WRITE SetVideoFilters)
    Q_PROPERTY(QString AudioFilters READ AudioFilters WRITE SetAudioFilters)

public:
    explicit TFilterOptions(QObject* parent = nullptr) : TPersistent(parent) {}
    void Assign(const TPersistent* source) override {
        const auto* s = qobject_cast<const TFilterOptions*>(source);
        if (s == nullptr) {
            TPersistent::Assign(source);
            return;
        }
        SetVideoFilters(s->VideoFilters());
        SetAudioFilters(s->AudioFilters());
    }

    // libavfilter graph syntax; empty = no filtering.
    QString VideoFilters() const { return video_filters_; }
    void SetVideoFilters(const QString& v) { video_filters_ = v; }
    QString AudioFilters() const { return audio_filters_; }
    void SetAudioFilters(const QString& v) { audio_filters_ = v; }

private:
    QString video_filters_;
    QString audio_filters_;
};

} // namespace vc
