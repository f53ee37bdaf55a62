#pragma once
// The task store: unfinished tasks and the history of finished conversions, filed in a tree of
// categories, in the SQLite file "av.cfg" of the application-data folder.
//
// Table Conversions: ID, Converting (1 until the task finishes), ConvertSettings (the request as
// XML), ConvertedDate, CategoryId, Log (lines ending in CR LF). Table Categories: ID, Category
// (name), Path (folder), Parent (-1 at the top). Category 1 is the root: it always exists and
// receives finished tasks whose category is gone.
//
// The store hands out rows; the task layer turns them into task and node objects. One instance
// per process, used on the thread that opened it. Other running copies of the program use the
// same file at the same time: WAL journal, a busy timeout, and multi-statement changes in
// immediate transactions.
#include "store/sqlite_db.h"

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace vc {

class TConversionSettings;

// One row of Conversions. NULL columns read as the empty or zero value.
struct TStoredTask {
    std::int64_t ID = 0;
    bool Converting = false;
    QString ConvertSettings;
    // The moment the task finished (in UTC; toLocalTime() for display); invalid while unfinished
    // or unreadable. Left in UTC because a conversion to local time per row costs more than the
    // rest of reading the row.
    QDateTime ConvertedDate;
    int CategoryId = 0;
    QString Log;
};

// One row of Categories.
struct TStoredCategory {
    int ID = 0;
    QString Category;
    QString Path;
    int Parent = -1;
};

class TPersistentManager {
public:
    static constexpr int kRootCategoryId = 1;
    static constexpr int kTopLevelParent = -1;
    // How long a statement waits for another running copy that holds the write lock.
    static constexpr int kBusyTimeoutMs = 15000;

    // Opens `folder` + "av.cfg", creating the folder, the file, the tables, their indexes and the
    // root category (named `root_name`, filed to `root_folder`) when they are missing. The file is
    // checked (PRAGMA quick_check): a damaged store (one that fails the check, is not a database,
    // or shrank to 0 bytes) is set aside as "av.cfg.bad" (numbered), what can be read of it is
    // copied into a new store (the backup "av.cfg.backup" when nothing can be read), and one
    // warning through the message sink says what was kept and where the damaged file is. A
    // healthy store is backed up beside itself at most once a day. A file that cannot be opened
    // (a full disk, no permission) throws vc::Error "Can not open Database <path>: <why>" and is
    // left as it is.
    TPersistentManager(const QString& folder, const QString& root_folder,
                       const QString& root_name = kRootName);
    static inline const QString kRootName = QStringLiteral("默认分类");

    // folder + "av.cfg" (a separator is put between them when the folder lacks one).
    static QString DatabasePath(const QString& folder);
    const QString& Path() const { return path_; }
    // The warning of a recovery at open, or empty when the store opened whole.
    const std::string& RecoveryWords() const { return recovery_words_; }

    // Unfinished tasks (Converting = 1), oldest first.
    std::vector<TStoredTask> LoadConvertingTask();
    // Child categories of `parent` (-1 for the top level), in the order they were made.
    std::vector<TStoredCategory> LoadConvertedNodes(int parent);
    // Finished tasks of one category, newest first.
    std::vector<TStoredTask> LoadConvertedTask(int category_id);
    // A page of the finished tasks of one category, newest first: at most `limit` rows from the
    // `offset`th on, without their logs (Log stays empty), for listing.
    std::vector<TStoredTask> LoadConvertedPage(int category_id, int offset, int limit);
    // One task row by id, finished or not.
    std::optional<TStoredTask> LoadTask(std::int64_t id);
    std::optional<TStoredCategory> LoadCategory(int id);

    // Inserts an unfinished task and returns the id the database gave it.
    std::int64_t NewDbTask(const QString& settings_xml);
    // Marks the task finished now, with its final request and log, filed under `category_id`, or
    // under the root when that category no longer exists. Returns the category used.
    int FinishDbTask(std::int64_t id, const QString& settings_xml, int category_id, const QString& log);
    // As above with an explicit finishing time (imports, tests).
    int FinishDbTask(std::int64_t id, const QString& settings_xml, int category_id, const QString& log,
                     const QDateTime& finished);
    void ClearLog(std::int64_t id);
    // The log of an unfinished task as it stands, so a process that dies keeps it; a finished row
    // is left as it is.
    void SaveConvertingLog(std::int64_t id, const QString& log);
    // The request of an unfinished task as it stands (what its run learnt of the source), so a
    // restart shows it; a finished row is left as it is.
    void SaveConvertingSettings(std::int64_t id, const QString& settings_xml);
    void DeleteTask(std::int64_t id);

    // Adds a category and returns its id.
    int NewCategory(const QString& category, const QString& folder, int parent);
    void UpdateCategory(int id, const QString& category, const QString& folder);
    // Removes one category row and its finished tasks (never files on disk). Categories below it
    // are the caller's to delete, each with its own call. The root cannot be deleted.
    void DeleteCategory(int id);

    // A request as stored in ConvertSettings: the XML writer's node format, flat.
    static QString GetConvertSettings(const TConversionSettings& settings);
    // Fills `settings` from stored text, whole or not at all: empty text, text that is not XML or
    // holds no request, and any value that does not read throw EOmniXMLPersistent naming what is
    // wrong ("AudioVolume: 'loud' is not a number") and leave `settings` as it was.
    static void ReadConvertSettings(TConversionSettings& settings, const QString& xml);
    // For showing a row whose request ReadConvertSettings refused: the values up to the first bad
    // one, the rest as they were. Never throws; such settings are never run or stored.
    static void ReadConvertSettingsForDisplay(TConversionSettings& settings, const QString& xml) noexcept;

    // How ConvertedDate is written: UTC, ISO 8601 with milliseconds and a "Z", so the text sorts
    // in time order across time zones and daylight-saving changes.
    static QString DateToStored(const QDateTime& when);
    // Reads that form back (as a UTC date-time); text without a zone is taken as local time.
    // Invalid when unreadable.
    static QDateTime DateFromStored(const QString& text);

private:
    void OpenFile();
    void CreateSchema(const QString& root_name, const QString& root_folder);
    static void CreateSchemaIn(SqliteDb& db, const QString& root_name, const QString& root_folder);
    TStoredTask ReadTask(const SqliteStatement& row) const;

    QString path_;
    std::unique_ptr<SqliteDb> db_;
    std::string recovery_words_;
};

} // namespace vc
