#include "platform/storage/HistoryStore.h"

#include "platform/system/FileNameBytes.h"
#include "platform/system/ProgramPlaces.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QThread>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kDriver = "QSQLITE";

void Complain(const QString& text)
{
    std::fprintf(stderr, "vidrolle2nd: %s\n", text.toLocal8Bit().constData());
}

// A file that is not a database, or a damaged one; the driver reports
// SQLite's result code as the native error code.
bool IsDamage(const QSqlError& error)
{
    const int code = error.nativeErrorCode().toInt();
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}

// Runs one statement with its values bound in order; false (with the error
// in `error` when given) when it fails.
bool Run(QSqlQuery& query, const QString& sql, const QVariantList& values = {}, QSqlError* error = nullptr)
{
    bool ok = query.prepare(sql);
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok && error)
        *error = query.lastError();
    return ok;
}

QVariant Optional(const std::optional<double>& value)
{
    return value ? QVariant(*value) : QVariant();
}

std::optional<double> OptionalOf(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

// The file's schema brought up to the program's, one step per version, in
// one transaction. The version is read again inside the transaction, so
// that two copies starting together do each step once.
enum class Migration { Done, Newer, Failed };

Migration Migrate(QSqlDatabase& db, QSqlError& error)
{
    QSqlQuery query(db);
    if (!Run(query, QStringLiteral("BEGIN IMMEDIATE"), {}, &error))
        return Migration::Failed;
    const auto fail = [&] {
        error = query.lastError();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return Migration::Failed;
    };
    if (!Run(query, QStringLiteral("PRAGMA user_version")) || !query.next())
        return fail();
    const int version = query.value(0).toInt();
    query.finish();
    if (version > HistoryStore::kSchemaVersion) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return Migration::Newer;
    }
    if (version < 1) {
        // A file is found by its folder and name; the key's first column
        // serves every look-up of a folder.
        if (!Run(query, QStringLiteral("CREATE TABLE IF NOT EXISTS files ("
                                       " folder BLOB NOT NULL, name BLOB NOT NULL,"
                                       " length INTEGER NOT NULL, modified_ns INTEGER NOT NULL,"
                                       " shown_at INTEGER NOT NULL, ending INTEGER NOT NULL,"
                                       " position REAL, duration REAL,"
                                       " seen_to_end INTEGER NOT NULL DEFAULT 0,"
                                       " PRIMARY KEY (folder, name)) WITHOUT ROWID"))
            || !Run(query, QStringLiteral("CREATE TABLE IF NOT EXISTS folders ("
                                          " folder BLOB NOT NULL PRIMARY KEY, last_name BLOB NOT NULL)"
                                          " WITHOUT ROWID")))
            return fail();
    }
    // The step to a version 2 goes here: if (version < 2) { ... }.
    if (version != HistoryStore::kSchemaVersion
        && !Run(query, QStringLiteral("PRAGMA user_version = %1").arg(HistoryStore::kSchemaVersion)))
        return fail();
    if (!Run(query, QStringLiteral("COMMIT")))
        return fail();
    return Migration::Done;
}

enum class Opening { Ready, Damaged, Busy, Unusable };

// What an error while opening means: a damaged file, another copy of the
// program opening the same file that very moment, or anything else.
Opening OpeningAfter(const QSqlError& error)
{
    if (IsDamage(error))
        return Opening::Damaged;
    const int code = error.nativeErrorCode().toInt() & 0xFF;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED ? Opening::Busy : Opening::Unusable;
}

// Opens the connection and makes it ready; Damaged when the file is not a
// usable database.
Opening Prepare(QSqlDatabase& db, int busyTimeoutMs, QString& reason)
{
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!db.open()) {
        reason = db.lastError().text();
        return OpeningAfter(db.lastError());
    }
    QSqlQuery query(db);
    QSqlError error;
    // The quick check reads every page once: a damaged file shows here,
    // rather than halfway through a listing.
    if (!Run(query, QStringLiteral("PRAGMA quick_check"), {}, &error)) {
        reason = error.text();
        return OpeningAfter(error);
    }
    if (!query.next() || query.value(0).toString() != QLatin1String("ok")) {
        reason = QStringLiteral("the integrity check failed");
        return Opening::Damaged;
    }
    query.finish();
    // WAL lets a reader and a writer work at once; NORMAL gives up only the
    // last commits on a power loss, never the file's consistency.
    if (!Run(query, QStringLiteral("PRAGMA journal_mode = WAL"), {}, &error)
        || !Run(query, QStringLiteral("PRAGMA synchronous = NORMAL"), {}, &error)) {
        reason = error.text();
        return OpeningAfter(error);
    }
    query.finish();
    switch (Migrate(db, error)) {
    case Migration::Done:
        return Opening::Ready;
    case Migration::Newer:
        reason = QStringLiteral("it was written by a newer version of the program");
        return Opening::Unusable;
    case Migration::Failed:
        reason = error.text();
        return OpeningAfter(error);
    }
    return Opening::Unusable;
}

// The SQLite connection under a Qt SQL connection of the SQLite driver.
sqlite3* HandleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

int& ConnectionCounter()
{
    static int counter = 0;
    return counter;
}

void DropConnection(const QString& name)
{
    {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

HistoryStore::HistoryStore(QString connectionName, QString fileName)
    : connection_(std::move(connectionName)), fileName_(std::move(fileName))
{
}

HistoryStore::~HistoryStore()
{
    DropConnection(connection_);
}

std::unique_ptr<HistoryStore> HistoryStore::Open(const QString& fileName, int busyTimeoutMs)
{
    const QString shown = DisplayName(fileName);
    if (!QSqlDatabase::isDriverAvailable(QString::fromLatin1(kDriver))) {
        Complain(QStringLiteral("no watch history: Qt's SQLite driver is not installed"));
        return nullptr;
    }
    if (const QString reason = MakeFolderOf(fileName); !reason.isEmpty()) {
        Complain(QStringLiteral("no watch history: cannot make the folder of %1: %2").arg(shown, reason));
        return nullptr;
    }
    // Some steps of making a file ready (its first switch to the write-ahead
    // log above all) meet another copy doing the same without SQLite's own
    // waiting: the whole opening is then tried again, within the time a
    // busy file is waited for.
    QElapsedTimer waited;
    waited.start();
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString name = QStringLiteral("vidrolle-history-%1").arg(++ConnectionCounter());
        QString reason;
        Opening opening = Opening::Unusable;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QString::fromLatin1(kDriver), name);
            db.setDatabaseName(fileName);
            opening = Prepare(db, busyTimeoutMs, reason);
        }
        if (opening == Opening::Ready)
            return std::unique_ptr<HistoryStore>(new HistoryStore(name, fileName));
        DropConnection(name);
        if (opening == Opening::Busy && waited.elapsed() < busyTimeoutMs) {
            QThread::msleep(10);
            --attempt;
            continue;
        }
        if (opening == Opening::Unusable || attempt > 0) {
            Complain(QStringLiteral("no watch history: cannot use %1: %2").arg(shown, reason));
            return nullptr;
        }
        // The damaged file is kept for whoever wants to look at it; its
        // journal files belong to it and would confuse the fresh file.
        const QByteArray bytes = NameToBytes(fileName);
        const QByteArray aside = bytes + ".corrupt";
        if (::rename(bytes.constData(), aside.constData()) != 0) {
            Complain(QStringLiteral("no watch history: %1 is damaged and cannot be moved aside: %2")
                         .arg(shown, ErrorText(errno)));
            return nullptr;
        }
        ::unlink((bytes + "-wal").constData());
        ::unlink((bytes + "-shm").constData());
        Complain(QStringLiteral("the watch history %1 was not a usable database (%2); it was moved to %1.corrupt "
                                "and a new one begun")
                     .arg(shown, reason));
    }
    return nullptr;
}

FolderHistory HistoryStore::Folder(const QByteArray& folder, qsizetype expected) const
{
    FolderHistory history;
    // A listing reads every record of a folder, tens of thousands of rows.
    // Through QSqlQuery each value of each row becomes a QVariant, which
    // costs more than the rest of the listing's work per file; the driver's
    // own SQLite connection is therefore read directly here, with one
    // statement, and the values go straight into the table.
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    sqlite3* handle = HandleOf(db);
    if (!handle) {
        Complain(QStringLiteral("cannot read the watch history: the driver gives no SQLite connection"));
        return history;
    }
    // The folder's last played name comes as a row of its own, told apart by
    // its missing length.
    static constexpr char kSql[] = "SELECT last_name, NULL, NULL, NULL, NULL FROM folders WHERE folder = ?1"
                                   " UNION ALL SELECT name, length, modified_ns, ending, seen_to_end"
                                   " FROM files WHERE folder = ?1";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle, kSql, sizeof kSql, &statement, nullptr) != SQLITE_OK
        || sqlite3_bind_blob(statement, 1, folder.constData(), static_cast<int>(folder.size()), SQLITE_STATIC)
               != SQLITE_OK) {
        Complain(QStringLiteral("cannot read the watch history: %1").arg(QString::fromUtf8(sqlite3_errmsg(handle))));
        sqlite3_finalize(statement);
        return history;
    }
    const auto bytesOf = [statement](int column) {
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                          sqlite3_column_bytes(statement, column));
    };
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        if (sqlite3_column_type(statement, 1) == SQLITE_NULL) {
            history.lastPlayed = bytesOf(0);
            continue;
        }
        // Room is made at the first record, so a folder never played costs
        // nothing; names of movie files are mostly a few tens of bytes long.
        if (history.files.Empty() && expected > 0)
            history.files.Reserve(static_cast<size_t>(expected), 32 * static_cast<size_t>(expected));
        const auto* name = static_cast<const char*>(sqlite3_column_blob(statement, 0));
        history.files.Insert(std::string_view(name ? name : "", static_cast<size_t>(sqlite3_column_bytes(statement, 0))),
                             HistoryMarkData{sqlite3_column_int64(statement, 1), sqlite3_column_int64(statement, 2),
                                             sqlite3_column_int(statement, 3), sqlite3_column_int(statement, 4) != 0});
    }
    if (step != SQLITE_DONE) {
        Complain(QStringLiteral("cannot read the watch history: %1").arg(QString::fromUtf8(sqlite3_errmsg(handle))));
        history = {};
    }
    sqlite3_finalize(statement);
    return history;
}

std::optional<HistoryRecord> HistoryStore::Find(const QByteArray& folder, const QByteArray& name) const
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    if (!Run(query,
             QStringLiteral("SELECT length, modified_ns, shown_at, ending, position, duration, seen_to_end"
                            " FROM files WHERE folder = ? AND name = ?"),
             {folder, name})
        || !query.next())
        return std::nullopt;
    HistoryRecord record;
    record.length = query.value(0).toLongLong();
    record.modifiedNs = query.value(1).toLongLong();
    record.shownAtMs = query.value(2).toLongLong();
    record.ending = query.value(3).toInt();
    record.position = OptionalOf(query.value(4));
    record.duration = OptionalOf(query.value(5));
    record.seenToEnd = query.value(6).toInt() != 0;
    return record;
}

bool HistoryStore::Save(const QByteArray& folder, const QByteArray& name, const HistoryRecord& record)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    const bool saved =
        Run(query, QStringLiteral("BEGIN IMMEDIATE"))
        && Run(query,
               QStringLiteral("INSERT INTO files (folder, name, length, modified_ns, shown_at, ending, position,"
                              " duration, seen_to_end) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"
                              " ON CONFLICT (folder, name) DO UPDATE SET length = excluded.length,"
                              " modified_ns = excluded.modified_ns, shown_at = excluded.shown_at,"
                              " ending = excluded.ending, position = excluded.position,"
                              " duration = excluded.duration, seen_to_end = excluded.seen_to_end"),
               {folder, name, record.length, record.modifiedNs, record.shownAtMs, record.ending,
                Optional(record.position), Optional(record.duration), record.seenToEnd ? 1 : 0})
        && Run(query,
               QStringLiteral("INSERT INTO folders (folder, last_name) VALUES (?, ?)"
                              " ON CONFLICT (folder) DO UPDATE SET last_name = excluded.last_name"),
               {folder, name})
        && Run(query, QStringLiteral("COMMIT"));
    if (!saved) {
        Complain(QStringLiteral("the showing was not recorded: %1").arg(query.lastError().text()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    }
    return saved;
}

bool HistoryStore::Forget(const QByteArray& folder, const std::vector<QByteArray>& names)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    bool done = Run(query, QStringLiteral("BEGIN IMMEDIATE"));
    for (const QByteArray& name : names) {
        if (!done)
            break;
        done = Run(query, QStringLiteral("DELETE FROM files WHERE folder = ? AND name = ?"), {folder, name})
               && Run(query, QStringLiteral("DELETE FROM folders WHERE folder = ? AND last_name = ?"), {folder, name});
    }
    done = done && Run(query, QStringLiteral("COMMIT"));
    if (!done) {
        Complain(QStringLiteral("the watch history was not changed: %1").arg(query.lastError().text()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    }
    return done;
}

bool HistoryStore::ForgetFolder(const QByteArray& folder)
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    const bool done = Run(query, QStringLiteral("BEGIN IMMEDIATE"))
                      && Run(query, QStringLiteral("DELETE FROM files WHERE folder = ?"), {folder})
                      && Run(query, QStringLiteral("DELETE FROM folders WHERE folder = ?"), {folder})
                      && Run(query, QStringLiteral("COMMIT"));
    if (!done) {
        Complain(QStringLiteral("the watch history was not changed: %1").arg(query.lastError().text()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    }
    return done;
}

} // namespace platform
