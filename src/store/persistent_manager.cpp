#include "store/persistent_manager.h"

#include "model/persistence/omni_xml_reader.h"
#include "model/persistence/omni_xml_writer.h"
#include "model/settings/conversion_settings.h"
#include "platform/message_sink.h"
#include "store/store_recovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

#include <algorithm>

namespace vc {

namespace {

// AUTOINCREMENT keeps ids from being used twice: a task or category deleted here must not come
// back under the same id while another running copy (or a running task) still refers to it.
const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS Conversions (
    ID integer PRIMARY KEY AUTOINCREMENT,
    Converting Boolean NOT NULL DEFAULT 1,
    ConvertSettings memo,
    ConvertedDate datetime,
    CategoryId integer,
    Log memo);
CREATE TABLE IF NOT EXISTS Categories (
    ID integer PRIMARY KEY AUTOINCREMENT,
    Category varchar(255),
    Path varchar(1024),
    Parent integer);
CREATE INDEX IF NOT EXISTS ConversionsByCategory ON Conversions (Converting, CategoryId, ConvertedDate);
CREATE INDEX IF NOT EXISTS CategoriesByParent ON Categories (Parent);
)sql";

} // namespace

QString TPersistentManager::DatabasePath(const QString& folder) {
    if (folder.isEmpty())
        return QStringLiteral("av.cfg");
    return folder.endsWith('/') ? folder + "av.cfg" : folder + "/av.cfg";
}

TPersistentManager::TPersistentManager(const QString& folder, const QString& root_folder,
                                       const QString& root_name)
    : path_(DatabasePath(folder)) {
    const auto fail = [this](const std::string& why) -> void {
        throw Error("Can not open Database " + path_.toStdString() + ": " + why);
    };
    if (!folder.isEmpty() && !QDir().mkpath(folder))
        fail("the folder cannot be created");
    // One copy at a time opens, checks and, when needed, rebuilds the store.
    const StoreOpenLock lock(folder);
    std::string damage;
    const QFileInfo file(path_);
    if (file.exists() && file.size() == 0) {
        // SQLite would take an empty file for a new store; a store of ours never shrinks to nothing.
        damage = "the file is empty (0 bytes)";
    } else {
        try {
            OpenFile();
            // Checked before anything is written to it.
            damage = QuickCheckProblem(*db_);
            if (damage.empty())
                CreateSchema(root_name, root_folder);
        } catch (const ESqlite& e) {
            db_.reset();
            if (!e.IsDamage())
                fail(e.what()); // a full disk, no permission: the file is left as it is
            damage = e.what();
        }
    }
    if (damage.empty()) {
        const std::string backup_failure = RefreshStoreBackup(*db_, path_);
        if (!backup_failure.empty())
            CurrentMessageSink().Show(MessageKind::Warning, "Warning", backup_failure);
        return;
    }
    db_.reset();
    StoreRecovery recovery;
    try {
        recovery =
            RecoverDamagedStore(path_, [&](SqliteDb& db) { CreateSchemaIn(db, root_name, root_folder); });
        OpenFile();
        CreateSchema(root_name, root_folder);
    } catch (const Error& e) {
        db_.reset();
        fail(damage + "; " + e.what());
    }
    recovery_words_ = recovery.Words(path_, damage);
    CurrentMessageSink().Show(MessageKind::Warning, "Warning", recovery_words_);
}

void TPersistentManager::OpenFile() {
    db_ = std::make_unique<SqliteDb>(QFile::encodeName(path_).toStdString());
    sqlite3_busy_timeout(db_->Handle(), kBusyTimeoutMs);
    // The first statement reads the header, so a file that is not a database fails here,
    // before anything is written to it.
    db_->Exec("PRAGMA journal_mode=WAL");
    db_->Exec("PRAGMA foreign_keys=OFF");
}

void TPersistentManager::CreateSchema(const QString& root_name, const QString& root_folder) {
    CreateSchemaIn(*db_, root_name, root_folder);
}

void TPersistentManager::CreateSchemaIn(SqliteDb& db, const QString& root_name, const QString& root_folder) {
    SqliteTransaction transaction(db);
    db.Exec(kSchema);
    // Also brings the root back into a file where it was removed by hand.
    db.Prepare("INSERT OR IGNORE INTO Categories (ID, Category, Path, Parent) VALUES (?, ?, ?, ?)")
        .Bind(1, kRootCategoryId)
        .Bind(2, root_name)
        .Bind(3, root_folder)
        .Bind(4, kTopLevelParent)
        .Run();
    transaction.Commit();
}

QString TPersistentManager::DateToStored(const QDateTime& when) {
    return when.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QDateTime TPersistentManager::DateFromStored(const QString& text) {
    if (text.isEmpty())
        return {};
    QDateTime when = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!when.isValid())
        when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return when.isValid() ? when : QDateTime();
}

TStoredTask TPersistentManager::ReadTask(const SqliteStatement& row) const {
    TStoredTask task;
    task.ID = row.Int64("ID");
    task.Converting = row.Int64("Converting") != 0;
    task.ConvertSettings = row.Text("ConvertSettings");
    task.ConvertedDate = DateFromStored(row.Text("ConvertedDate"));
    task.CategoryId = row.Int("CategoryId");
    task.Log = row.Text("Log");
    return task;
}

std::vector<TStoredTask> TPersistentManager::LoadConvertingTask() {
    auto& query = db_->Prepare("select * from Conversions where Converting=1 order by ID");
    std::vector<TStoredTask> tasks;
    while (query.Step())
        tasks.push_back(ReadTask(query));
    return tasks;
}

std::vector<TStoredCategory> TPersistentManager::LoadConvertedNodes(int parent) {
    auto& query = db_->Prepare("select * from Categories where Parent=? order by ID");
    query.Bind(1, parent);
    std::vector<TStoredCategory> nodes;
    while (query.Step())
        nodes.push_back({query.Int("ID"), query.Text("Category"), query.Text("Path"), query.Int("Parent")});
    return nodes;
}

std::vector<TStoredTask> TPersistentManager::LoadConvertedTask(int category_id) {
    // ID breaks ties between tasks finished in the same millisecond; the index gives this order.
    auto& query = db_->Prepare("select * from Conversions where Converting=0 and CategoryId=? "
                               "order by ConvertedDate desc, ID desc");
    query.Bind(1, category_id);
    std::vector<TStoredTask> tasks;
    while (query.Step())
        tasks.push_back(ReadTask(query));
    return tasks;
}

std::vector<TStoredTask> TPersistentManager::LoadConvertedPage(int category_id, int offset, int limit) {
    // The order of LoadConvertedTask, which the index gives; the log is left out: a listing shows
    // none, and it is most of a row.
    auto& query = db_->Prepare("select ID, ConvertSettings, ConvertedDate from Conversions "
                               "where Converting=0 and CategoryId=? "
                               "order by ConvertedDate desc, ID desc limit ? offset ?");
    query.Bind(1, category_id).Bind(2, limit).Bind(3, offset);
    std::vector<TStoredTask> tasks;
    tasks.reserve(static_cast<std::size_t>(std::max(0, limit)));
    while (query.Step()) {
        TStoredTask task;
        task.ID = query.Int64("ID");
        task.ConvertSettings = query.Text("ConvertSettings");
        task.ConvertedDate = DateFromStored(query.Text("ConvertedDate"));
        task.CategoryId = category_id;
        tasks.push_back(std::move(task));
    }
    return tasks;
}

std::optional<TStoredTask> TPersistentManager::LoadTask(std::int64_t id) {
    auto& query = db_->Prepare("select * from Conversions where ID=?");
    query.Bind(1, id);
    std::optional<TStoredTask> task;
    if (query.Step())
        task = ReadTask(query);
    query.Reset();
    return task;
}

std::optional<TStoredCategory> TPersistentManager::LoadCategory(int id) {
    auto& query = db_->Prepare("select * from Categories where ID=?");
    query.Bind(1, id);
    std::optional<TStoredCategory> node;
    if (query.Step())
        node =
            TStoredCategory{query.Int("ID"), query.Text("Category"), query.Text("Path"), query.Int("Parent")};
    query.Reset();
    return node;
}

std::int64_t TPersistentManager::NewDbTask(const QString& settings_xml) {
    db_->Prepare("insert into Conversions (Converting, ConvertSettings) values (1, ?)")
        .Bind(1, settings_xml)
        .Run();
    return db_->LastInsertRowId();
}

int TPersistentManager::FinishDbTask(std::int64_t id, const QString& settings_xml, int category_id,
                                     const QString& log) {
    return FinishDbTask(id, settings_xml, category_id, log, QDateTime::currentDateTime());
}

int TPersistentManager::FinishDbTask(std::int64_t id, const QString& settings_xml, int category_id,
                                     const QString& log, const QDateTime& finished) {
    // The check and the update in one transaction: a category deleted by another running copy in
    // between would otherwise leave the row filed under a category that no longer exists.
    SqliteTransaction transaction(*db_);
    auto& check = db_->Prepare("select ID from Categories where ID=?");
    check.Bind(1, category_id);
    const int filed_under = check.Step() ? category_id : kRootCategoryId;
    check.Reset();
    db_->Prepare(
           "update Conversions set Converting=0, ConvertSettings=?, ConvertedDate=?, CategoryId=?, Log=? "
           "where ID=?")
        .Bind(1, settings_xml)
        .Bind(2, DateToStored(finished))
        .Bind(3, filed_under)
        .Bind(4, log)
        .Bind(5, id)
        .Run();
    transaction.Commit();
    return filed_under;
}

void TPersistentManager::ClearLog(std::int64_t id) {
    db_->Prepare("update Conversions set Log=NULL where ID=?").Bind(1, id).Run();
}

void TPersistentManager::SaveConvertingLog(std::int64_t id, const QString& log) {
    db_->Prepare("update Conversions set Log=? where ID=? and Converting=1").Bind(1, log).Bind(2, id).Run();
}

void TPersistentManager::SaveConvertingSettings(std::int64_t id, const QString& settings_xml) {
    db_->Prepare("update Conversions set ConvertSettings=? where ID=? and Converting=1")
        .Bind(1, settings_xml)
        .Bind(2, id)
        .Run();
}

void TPersistentManager::DeleteTask(std::int64_t id) {
    db_->Prepare("delete from Conversions where ID=?").Bind(1, id).Run();
}

int TPersistentManager::NewCategory(const QString& category, const QString& folder, int parent) {
    db_->Prepare("insert into Categories (Category, Path, Parent) values (?, ?, ?)")
        .Bind(1, category)
        .Bind(2, folder)
        .Bind(3, parent)
        .Run();
    return static_cast<int>(db_->LastInsertRowId());
}

void TPersistentManager::UpdateCategory(int id, const QString& category, const QString& folder) {
    db_->Prepare("update Categories set Category=?, Path=? where ID=?")
        .Bind(1, category)
        .Bind(2, folder)
        .Bind(3, id)
        .Run();
}

void TPersistentManager::DeleteCategory(int id) {
    if (id == kRootCategoryId)
        throw Error("The root category cannot be deleted");
    SqliteTransaction transaction(*db_);
    db_->Prepare("delete from Categories where ID=?").Bind(1, id).Run();
    // Unfinished tasks keep their rows: they are filed when they finish.
    db_->Prepare("delete from Conversions where Converting=0 and CategoryId=?").Bind(1, id).Run();
    transaction.Commit();
}

void TPersistentManager::ReadConvertSettingsForDisplay(TConversionSettings& settings,
                                                       const QString& xml) noexcept {
    try {
        TOmniXMLReader::LoadFromString(&settings, xml);
    } catch (const std::exception&) {
        // The reason was already given by ReadConvertSettings; what was read is all there is.
    }
}

QString TPersistentManager::GetConvertSettings(const TConversionSettings& settings) {
    return TOmniXMLWriter::SaveToString(&settings, TPropsFormat::pfNodes);
}

void TPersistentManager::ReadConvertSettings(TConversionSettings& settings, const QString& xml) {
    if (xml.trimmed().isEmpty())
        throw EOmniXMLPersistent("the stored request is empty");
    // Read into a copy: a request that does not read whole leaves `settings` as it was, never half
    // filled with defaults after the bad value.
    TConversionSettings read;
    read.Assign(&settings);
    const QByteArray utf8 = xml.toUtf8();
    TOmniXMLReader::LoadFromTextWhole(&read,
                                      std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    settings.Assign(&read);
}

} // namespace vc
