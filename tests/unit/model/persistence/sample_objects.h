#pragma once
// Small classes with one published property of every kind the persistence handles.
#include "model/persistence/omni_xml_persistent.h"

#include <QByteArray>
#include <QChar>
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace vc::test {

class TSampleInner : public QObject {
    Q_OBJECT
    Q_CLASSINFO("Default.num", "25")
    Q_PROPERTY(int num READ num WRITE SetNum)
    Q_PROPERTY(QString Label READ Label WRITE SetLabel)

public:
    int num() const { return num_; }
    void SetNum(int v) { num_ = v; }
    QString Label() const { return label_; }
    void SetLabel(const QString& v) { label_ = v; }

private:
    int num_ = 0;
    QString label_;
};

class TSampleItems : public QObject, public TOmniCollection {
    Q_OBJECT

public:
    int Count() const override { return static_cast<int>(items_.size()); }
    QObject* Item(int index) const override { return items_[static_cast<size_t>(index)].get(); }
    QObject* Add() override { return items_.emplace_back(std::make_unique<TSampleInner>()).get(); }
    void Clear() override { items_.clear(); }
    TSampleInner* At(int index) const { return items_[static_cast<size_t>(index)].get(); }

private:
    std::vector<std::unique_ptr<TSampleInner>> items_;
};

class TSample : public QObject {
    Q_OBJECT
    Q_CLASSINFO("Default.Threads", "1")
    Q_CLASSINFO("Default.Alert", "true")
    Q_CLASSINFO("Default.Mode", "smFast")
    Q_CLASSINFO("Default.Parts", "[spAudio]")
    Q_PROPERTY(int Threads READ Threads WRITE SetThreads)
    Q_PROPERTY(int Plain READ Plain WRITE SetPlain)
    Q_PROPERTY(uint Unsigned READ Unsigned WRITE SetUnsigned)
    Q_PROPERTY(bool Alert READ Alert WRITE SetAlert)
    Q_PROPERTY(bool Flag READ Flag WRITE SetFlag)
    Q_PROPERTY(TSampleMode Mode READ Mode WRITE SetMode)
    Q_PROPERTY(TSampleMode OtherMode READ OtherMode WRITE SetOtherMode)
    Q_PROPERTY(TSampleParts Parts READ Parts WRITE SetParts)
    Q_PROPERTY(QChar Letter READ Letter WRITE SetLetter)
    Q_PROPERTY(QDateTime When READ When WRITE SetWhen)
    Q_PROPERTY(double Ratio READ Ratio WRITE SetRatio)
    Q_PROPERTY(float Gain READ Gain WRITE SetGain)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(QByteArray Codec READ Codec WRITE SetCodec)
    Q_PROPERTY(qint64 Size READ Size WRITE SetSize)
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_PROPERTY(vc::test::TSampleInner* Inner READ Inner)
    Q_PROPERTY(vc::test::TSampleItems* Items READ Items)
    Q_PROPERTY(int Hidden READ Hidden WRITE SetHidden STORED false)

public:
    enum TSampleMode { smFast, smSlow, smExact };
    Q_ENUM(TSampleMode)
    enum TSamplePart { spAudio = 1, spVideo = 2, spText = 4 };
    Q_DECLARE_FLAGS(TSampleParts, TSamplePart)
    Q_FLAG(TSampleParts)

    TSample() : inner_(new TSampleInner), items_(new TSampleItems) {}

    int Threads() const { return threads_; }
    void SetThreads(int v) { threads_ = v; }
    int Plain() const { return plain_; }
    void SetPlain(int v) { plain_ = v; }
    uint Unsigned() const { return unsigned_; }
    void SetUnsigned(uint v) { unsigned_ = v; }
    bool Alert() const { return alert_; }
    void SetAlert(bool v) { alert_ = v; }
    bool Flag() const { return flag_; }
    void SetFlag(bool v) { flag_ = v; }
    TSampleMode Mode() const { return mode_; }
    void SetMode(TSampleMode v) { mode_ = v; }
    TSampleMode OtherMode() const { return other_mode_; }
    void SetOtherMode(TSampleMode v) { other_mode_ = v; }
    TSampleParts Parts() const { return parts_; }
    void SetParts(TSampleParts v) { parts_ = v; }
    QChar Letter() const { return letter_; }
    void SetLetter(QChar v) { letter_ = v; }
    QDateTime When() const { return when_; }
    void SetWhen(const QDateTime& v) { when_ = v; }
    double Ratio() const { return ratio_; }
    void SetRatio(double v) { ratio_ = v; }
    float Gain() const { return gain_; }
    void SetGain(float v) { gain_ = v; }
    QString Name() const { return name_; }
    void SetName(const QString& v) { name_ = v; }
    QByteArray Codec() const { return codec_; }
    void SetCodec(const QByteArray& v) { codec_ = v; }
    qint64 Size() const { return size_; }
    void SetSize(qint64 v) { size_ = v; }
    QStringList Lines() const { return lines_; }
    void SetLines(const QStringList& v) { lines_ = v; }
    TSampleInner* Inner() const { return inner_.get(); }
    TSampleItems* Items() const { return items_.get(); }
    int Hidden() const { return hidden_; }
    void SetHidden(int v) { hidden_ = v; }

private:
    int threads_ = 1;
    int plain_ = 0;
    uint unsigned_ = 0;
    bool alert_ = true;
    bool flag_ = false;
    TSampleMode mode_ = smFast;
    TSampleMode other_mode_ = smFast;
    TSampleParts parts_ = spAudio;
    QChar letter_ = 'C';
    QDateTime when_;
    double ratio_ = 0;
    float gain_ = 0;
    QString name_;
    QByteArray codec_;
    qint64 size_ = 0;
    QStringList lines_;
    std::unique_ptr<TSampleInner> inner_;
    std::unique_ptr<TSampleItems> items_;
    int hidden_ = 7;
};

} // namespace vc::test
