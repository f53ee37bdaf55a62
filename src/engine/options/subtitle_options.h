#pragma once
// What a conversion does with subtitles.
#include "engine/options/persistent.h"

#include <QString>

namespace vc {

class TSubtitleOptions : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString SubtitleLanguage READ SubtitleLanguage WRITE SetSubtitleLanguage)
    Q_PROPERTY(QString SubtitleCodecName READ SubtitleCodecName WRITE SetSubtitleCodecName)
    Q_PROPERTY(bool SubtitleDisable READ SubtitleDisable WRITE SetSubtitleDisable)
    Q_PROPERTY(bool SubtitleStreamCopy READ SubtitleStreamCopy WRITE SetSubtitleStreamCopy)
    Q_PROPERTY(int SubtitleCodecTag READ SubtitleCodecTag WRITE SetSubtitleCodecTag)

public:
    explicit TSubtitleOptions(QObject* parent = nullptr) : TPersistent(parent) {}
    void Assign(const TPersistent* source) override;

    QString SubtitleLanguage() const { return subtitle_language_; }
    void SetSubtitleLanguage(const QString& v) { subtitle_language_ = v; }
    // Used both as the input decoder name and as the output encoder name.
    QString SubtitleCodecName() const { return subtitle_codec_name_; }
    void SetSubtitleCodecName(const QString& v) { subtitle_codec_name_ = v; }
    bool SubtitleDisable() const { return subtitle_disable_; }
    void SetSubtitleDisable(bool v) { subtitle_disable_ = v; }
    bool SubtitleStreamCopy() const { return subtitle_stream_copy_; }
    void SetSubtitleStreamCopy(bool v) { subtitle_stream_copy_ = v; }
    int SubtitleCodecTag() const { return subtitle_codec_tag_; }
    void SetSubtitleCodecTag(int v) { subtitle_codec_tag_ = v; }

private:
    QString subtitle_language_;
    QString subtitle_codec_name_;
    bool subtitle_disable_ = false;
    bool subtitle_stream_copy_ = false;
    int subtitle_codec_tag_ = 0;
};

inline void TSubtitleOptions::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TSubtitleOptions*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetSubtitleLanguage(s->SubtitleLanguage());
    SetSubtitleCodecName(s->SubtitleCodecName());
    SetSubtitleDisable(s->SubtitleDisable());
    SetSubtitleStreamCopy(s->SubtitleStreamCopy());
    SetSubtitleCodecTag(s->SubtitleCodecTag());
}

} // namespace vc
