#pragma once
// One conversion request: what to convert, where the result goes, the chosen profile and history
// category, and the complete converter options. Every holder has its own copy.
#include "engine/options/convert_options.h"
#include "engine/options/persistent.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace vc {

class TConversionSettings : public TPersistent {
    Q_OBJECT
    // The order is the order of the stored document.
    Q_PROPERTY(QStringList SourceFiles READ SourceFiles WRITE SetSourceFiles)
    Q_PROPERTY(TAVSourceType SourceType READ SourceType WRITE SetSourceType)
    Q_PROPERTY(QString DvdDriver READ DvdDriver WRITE SetDvdDriver)
    Q_PROPERTY(int DvdTitle READ DvdTitle WRITE SetDvdTitle)
    Q_PROPERTY(int DvdChapter READ DvdChapter WRITE SetDvdChapter)
    Q_PROPERTY(int DvdThrough READ DvdThrough WRITE SetDvdThrough)
    Q_PROPERTY(int DvdAngle READ DvdAngle WRITE SetDvdAngle)
    Q_PROPERTY(QString DvdVolume READ DvdVolume WRITE SetDvdVolume)
    Q_PROPERTY(QString TargetFolder READ TargetFolder WRITE SetTargetFolder)
    Q_PROPERTY(QString TargetFile READ TargetFile WRITE SetTargetFile)
    Q_PROPERTY(QString Profile READ Profile WRITE SetProfile)
    Q_PROPERTY(int CategoryId READ CategoryId WRITE SetCategoryId)
    Q_PROPERTY(vc::TAVConvertOptions* ConvertOptions READ ConvertOptions WRITE SetConvertOptions)
    Q_PROPERTY(double Duration READ Duration WRITE SetDuration)
    Q_PROPERTY(qint64 SourceFileSize READ SourceFileSize WRITE SetSourceFileSize)

public:
    enum TAVSourceType { stFile, stDvd };
    Q_ENUM(TAVSourceType)
    // A task's state; the ordinal is also the task's image index in the list.
    enum TAVTaskStatus { stRunning, stPaused, stError, stFinished, stWaiting };
    Q_ENUM(TAVTaskStatus)

    explicit TConversionSettings(QObject* parent = nullptr);
    ~TConversionSettings() override;

    // From another TConversionSettings: all fifteen properties through their setters (the list and
    // the options by content). Anything else: "Cannot assign a <source> to a TConversionSettings".
    void Assign(const TPersistent* source) override;

    // Source paths, one per line; a task converts the first. For a DVD, the wizard's locator.
    QStringList SourceFiles() const { return source_files_; }
    void SetSourceFiles(const QStringList& v) { source_files_ = v; }
    TAVSourceType SourceType() const { return source_type_; }
    void SetSourceType(TAVSourceType v) { source_type_ = v; }
    QString DvdDriver() const { return dvd_driver_; }
    void SetDvdDriver(const QString& v) { dvd_driver_ = v; }
    int DvdTitle() const { return dvd_title_; }
    void SetDvdTitle(int v) { dvd_title_ = v; }
    int DvdChapter() const { return dvd_chapter_; }
    void SetDvdChapter(int v) { dvd_chapter_ = v; }
    int DvdThrough() const { return dvd_through_; }
    void SetDvdThrough(int v) { dvd_through_ = v; }
    int DvdAngle() const { return dvd_angle_; }
    void SetDvdAngle(int v) { dvd_angle_ = v; }
    QString DvdVolume() const { return dvd_volume_; }
    void SetDvdVolume(const QString& v) { dvd_volume_ = v; }
    // Output folder; while not empty, TargetFile holds only the target extension. Trimmed.
    QString TargetFolder() const { return target_folder_; }
    void SetTargetFolder(const QString& v);
    // Full output path, or the extension (see TargetFolder). Trimmed.
    QString TargetFile() const { return target_file_; }
    void SetTargetFile(const QString& v);
    QString Profile() const { return profile_; }
    void SetProfile(const QString& v) { profile_ = v; }
    int CategoryId() const { return category_id_; }
    void SetCategoryId(int v) { category_id_ = v; }
    TAVConvertOptions* ConvertOptions() const { return convert_options_.get(); }
    void SetConvertOptions(const TAVConvertOptions* v) { convert_options_->Assign(v); }
    double Duration() const { return duration_; } // seconds; 0 until known
    void SetDuration(double v) { duration_ = v; }
    qint64 SourceFileSize() const { return source_file_size_; } // bytes; 0 until known
    void SetSourceFileSize(qint64 v) { source_file_size_ = v; }

private:
    QStringList source_files_;
    TAVSourceType source_type_ = stFile;
    QString dvd_driver_;
    int dvd_title_ = 0;
    int dvd_chapter_ = 0;
    int dvd_through_ = 0;
    int dvd_angle_ = 0;
    QString dvd_volume_;
    QString target_folder_;
    QString target_file_;
    QString profile_;
    int category_id_ = 0;
    std::unique_ptr<TAVConvertOptions> convert_options_;
    double duration_ = 0;
    qint64 source_file_size_ = 0;
};

using TAVSourceType = TConversionSettings::TAVSourceType;
using TAVTaskStatus = TConversionSettings::TAVTaskStatus;

// Removes leading and trailing characters whose code is at most that of the space.
QString TrimControlAndSpace(const QString& text);

} // namespace vc
