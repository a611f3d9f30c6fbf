// The watch history's file: two running copies writing at once, a file from a
// newer program, and the History setting's rules for the settings file.
#include "platform/storage/HistoryStore.h"

#include "TempFolder.h"

#include "shared/Vidrolle_2nd_b.h"

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <array>

namespace {

using platform::HistoryStore;

TEST(HistoryStore, TwoCopiesWritingAtOnceLoseNothing)
{
    TempFolder dir;
    const QString file = dir.FilePath(QStringLiteral("history.sqlite"));
    constexpr int kEach = 500;
    std::array<QProcess, 2> writers;
    for (size_t i = 0; i < writers.size(); ++i) {
        writers[i].start(HISTORY_WRITER, {file, QStringLiteral("w%1-").arg(i), QString::number(kEach)});
        ASSERT_TRUE(writers[i].waitForStarted(30000));
    }
    // Both have opened the file before either begins, so their writes overlap.
    for (QProcess& writer : writers) {
        while (!writer.canReadLine())
            ASSERT_TRUE(writer.waitForReadyRead(30000)) << writer.readAllStandardError().constData();
        EXPECT_EQ(writer.readLine().trimmed(), "ready");
    }
    for (QProcess& writer : writers)
        writer.write("go\n");
    for (QProcess& writer : writers) {
        ASSERT_TRUE(writer.waitForFinished(120000));
        EXPECT_EQ(writer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().constData();
    }

    const std::unique_ptr<HistoryStore> store = HistoryStore::Open(file);
    ASSERT_TRUE(store);
    const platform::FolderHistory history = store->Folder("/movies");
    EXPECT_EQ(history.files.Size(), 2 * kEach);
    ASSERT_TRUE(history.files.Contains("w0-0") && history.files.Contains("w1-499"));
    EXPECT_EQ(history.files.Find("w1-499")->length, 499);
    EXPECT_EQ(store->Find("/movies", "w1-499")->duration, 60.0);
    EXPECT_TRUE(history.lastPlayed == "w0-499" || history.lastPlayed == "w1-499");
}

TEST(HistoryStore, AFileFromANewerProgramIsLeftAlone)
{
    TempFolder dir;
    const QString file = dir.FilePath(QStringLiteral("history.sqlite"));
    {
        const std::unique_ptr<HistoryStore> store = HistoryStore::Open(file);
        ASSERT_TRUE(store);
        platform::HistoryRecord record;
        record.position = 12.5;
        ASSERT_TRUE(store->Save("/m", "a.avi", record));
    }
    // Reopened by the same version, the record is there and a missing
    // position stays missing.
    {
        const std::unique_ptr<HistoryStore> store = HistoryStore::Open(file);
        ASSERT_TRUE(store);
        ASSERT_EQ(store->Folder("/m").files.Size(), 1);
        const std::optional<platform::HistoryRecord> record = store->Find("/m", "a.avi");
        ASSERT_TRUE(record);
        EXPECT_EQ(record->position, 12.5);
        EXPECT_FALSE(record->duration);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        EXPECT_TRUE(QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 7")));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("newer"));
    EXPECT_FALSE(HistoryStore::Open(file));
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".corrupt")));
}

TEST(HistorySetting, ReadAndWrittenOnlyWhereItMatters)
{
    TempFolder dir;
    const QString file = dir.FilePath(QStringLiteral("Vidrolle_2nd.ini"));
    EXPECT_TRUE(LoadHistorySetting(file).Enabled());
    EXPECT_FALSE(LoadHistorySetting(file).inFile);
    ASSERT_TRUE(SaveHistorySetting(LoadHistorySetting(file), file));
    EXPECT_FALSE(QFile::exists(file));

    for (const auto& [text, enabled] : {std::pair{"0", false}, {"1", true}, {"", true}, {"abc", true}, {"-1", true}}) {
        dir.MakeFileWithContent(QStringLiteral("Vidrolle_2nd.ini"), QByteArray("[Section]\nHistory=") + text + '\n');
        const HistorySetting setting = LoadHistorySetting(file);
        EXPECT_EQ(setting.Enabled(), enabled) << text;
        EXPECT_TRUE(setting.inFile) << text;
    }
    // A value that is not the default is written even where the key was missing.
    dir.MakeFileWithContent(QStringLiteral("Vidrolle_2nd.ini"), "[Section]\nPath=/\n");
    ASSERT_TRUE(SaveHistorySetting(HistorySetting{0, false}, file));
    EXPECT_EQ(ReadIniValue(QStringLiteral("Section"), QStringLiteral("History"), file), QStringLiteral("0"));
}

} // namespace
