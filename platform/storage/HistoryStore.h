// The watch history's storage: one SQLite file, opened through Qt SQL's SQLite
// driver, holding per file (its folder and name as bytes) the last showing's
// record, and per folder the name of the file played there last. Several
// running copies of the program may share the file: it runs in WAL mode, so
// readers never wait for a writer, and a writer waits for another writer at
// most the busy timeout. Each change is one short transaction.
//
// The store knows nothing of what the numbers mean (that is the record's unit
// in shared/); it keeps and returns them. It never shows anything to the
// user: a file that is not a usable database is moved aside and a fresh one
// begun, one that cannot be opened leaves Open returning null, and a change
// that fails (a writer that holds the file too long) returns false. Each such
// event is one line on standard error.
#pragma once

#include "platform/storage/FolderRecords.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// One file's record. Times are in milliseconds since 1970 (UTC), the file's
// last write in nanoseconds; a position or duration that was not known is
// nullopt.
struct HistoryRecord {
    long long length = 0;
    long long modifiedNs = 0;
    long long shownAtMs = 0;
    int ending = 0;
    std::optional<double> position;
    std::optional<double> duration;
    bool seenToEnd = false;
};

// A folder's records by file name (bytes), and which name was played there
// last (empty when none is known).
struct FolderHistory {
    FolderRecords files;
    QByteArray lastPlayed;
};

class HistoryStore {
public:
    // The schema this program writes; older files are brought up to it.
    static constexpr int kSchemaVersion = 1;
    static constexpr int kDefaultBusyTimeoutMs = 2000;

    // Opens (making its folder and the file where missing) the history file;
    // null when it cannot be used at all.
    static std::unique_ptr<HistoryStore> Open(const QString& fileName, int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // What a listing of one folder needs, in one query; empty when the read
    // fails. `expected` (the number of files listed) only sizes the table.
    FolderHistory Folder(const QByteArray& folder, qsizetype expected = 0) const;
    // One file's whole record.
    std::optional<HistoryRecord> Find(const QByteArray& folder, const QByteArray& name) const;
    // Keeps the record of `name` and makes it the folder's last played file.
    bool Save(const QByteArray& folder, const QByteArray& name, const HistoryRecord& record);
    // Forgets the records of these names; a forgotten last played file leaves
    // the folder without one.
    bool Forget(const QByteArray& folder, const std::vector<QByteArray>& names);
    // Forgets everything of the folder.
    bool ForgetFolder(const QByteArray& folder);

    const QString& FileName() const { return fileName_; }

private:
    HistoryStore(QString connectionName, QString fileName);

    QString connection_;
    QString fileName_;
};

} // namespace platform
