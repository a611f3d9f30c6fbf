// Start-up reads the folder once and fills the list once, and what it shows
// is exactly what a fill made afterwards shows: every cell's text and tag,
// the row order, the marks, the columns and ListPosition.
#include "MessageRecorder.h"
#include "TempFolder.h"

#include "app/Vidrolle_2ndS.h"
#include "shared/Vidrolle_2nd_b.h"
#include "shared/WatchHistory.h"
#include "platform/system/FileInfo.h"
#include "platform/system/FileNameBytes.h"
#include "platform/storage/HistoryStore.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pickers.h"

#include <QAbstractItemModel>
#include <QListView>
#include <QTreeView>
#include <gtest/gtest.h>

#include <sys/time.h>
#include <unistd.h>

namespace {

// Everything the list shows, cell by cell.
struct ListSnapshot {
    QStringList columns;
    QStringList cells;
    std::vector<int> marks;
    int listPosition = 0;

    bool operator==(const ListSnapshot&) const = default;
};

ListSnapshot Snapshot(const Vidrolle_2ndS& window)
{
    const platform::ReportListView& list = *window.ListV;
    ListSnapshot shot;
    for (int column = 1; column <= list.ColumnCount(); ++column)
        shot.columns << list.ColumnKey(column);
    for (int row = 1; row <= list.Count(); ++row) {
        shot.cells << list.Text(row) << list.Tag(row) << list.Name(row)
                   << (list.Selected(row) ? QStringLiteral("selected") : QString());
        for (int sub = 1; sub < list.ColumnCount(); ++sub)
            shot.cells << list.SubItemText(row, sub) << list.SubItemTag(row, sub);
        shot.marks.push_back(list.Mark(row));
    }
    shot.listPosition = window.ListPosition;
    return shot;
}

void SetDate(const QString& path, time_t when)
{
    const timeval times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimes(platform::NameToBytes(path).constData(), times), 0);
}

TEST(StartupFillTest, StartUpReadsAndFillsOnceAndShowsWhatALaterFillShows)
{
    TempFolder program;
    TempFolder movies;
    SetProgramFolderForTests(program.Path());
    MessageRecorder messages;

    // Mixed names, sizes (empty, small, sparse and large) and dates years apart.
    SetDate(movies.MakeFile(QStringLiteral("b.avi"), 0), 946684800);
    SetDate(movies.MakeFile(QStringLiteral("A.avi"), 1500), 1262304000);
    SetDate(movies.MakeFile(QStringLiteral("c d.MPG"), 5LL * 1024 * 1024 * 1024), 1577836800);
    SetDate(movies.MakeFile(QStringLiteral("日本語.wmv"), 1), 1700000000);
    const QString raw = movies.MakeRawFile("bad\xff.avi", "xyz");
    SetDate(raw, 1000000000);
    movies.MakeFile(QStringLiteral("notes.txt"), 10);
    movies.MakeFolder(QStringLiteral("folder.avi"));
    program.MakeFileWithContent(QStringLiteral("Vidrolle_2nd.ini"),
                                "[Section]\nPath=" + movies.Path().toUtf8() + "\nPattern=*.avi;*.mpg;*.wmv\n");

    // One file has been played part of the way, so its row carries a mark.
    {
        const std::unique_ptr<platform::HistoryStore> store = platform::HistoryStore::Open(HistoryFileName());
        ASSERT_TRUE(store);
        const auto stamp = platform::FileStampOf(movies.FilePath(QStringLiteral("A.avi")));
        ASSERT_TRUE(stamp);
        ASSERT_TRUE(store->Save(platform::NameToBytes(movies.Path()), "A.avi",
                                NextRecord(std::nullopt, *stamp, {ShowingEnd::Stopped, 30.0, 600.0}, 1)));
    }

    PlayState state;
    BrowserDependencies dependencies;
    dependencies.mediaEngines = [](QWidget*) { return std::unique_ptr<platform::MediaEngine>(); };
    dependencies.streamingEngines = [](QWidget*) { return std::unique_ptr<platform::StreamingEngine>(); };
    dependencies.endProgram = [] {};
    Vidrolle_2ndS window(state, std::move(dependencies));

    // Every fill rebuilds the list's rows with one model reset.
    auto* view = window.ListV->findChild<QTreeView*>();
    ASSERT_NE(view, nullptr);
    int rebuilds = 0;
    QObject::connect(view->model(), &QAbstractItemModel::modelReset, [&] { ++rebuilds; });

    window.Form_Load();
    const ListSnapshot atStart = Snapshot(window);
    EXPECT_EQ(window.File1->ReadCount(), 1);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_TRUE(messages.messages.empty());
    ASSERT_EQ(window.ListV->Count(), 5);
    EXPECT_EQ(atStart.columns, (QStringList{"File_Name", "File_Size", "File_Date"}));
    EXPECT_EQ(atStart.listPosition, 1);
    int marked = 0;
    for (int mark : atStart.marks)
        marked += mark != 0 ? 1 : 0;
    EXPECT_EQ(marked, 1);

    window.FillFileList();
    EXPECT_EQ(Snapshot(window), atStart);

    // A pattern changed and back reads the folder afresh each time and
    // arrives at the same list.
    window.File1->SetPattern(QStringLiteral("*.*"));
    EXPECT_EQ(window.ListV->Count(), 6);
    window.File1->SetPattern(QStringLiteral("*.avi;*.mpg;*.wmv"));
    EXPECT_EQ(Snapshot(window), atStart);
    EXPECT_EQ(window.File1->ReadCount(), 3);

    SetProgramFolderForTests(QString());
    // The temporary folder cannot remove a name that is not UTF-8 itself.
    ::unlink(platform::NameToBytes(raw).constData());
}

TEST(StartupFillTest, AHiddenFilePickerReadsWhenAskedAndAShownOneAtOnce)
{
    TempFolder folder;
    folder.MakeFile(QStringLiteral("a.avi"));
    folder.MakeFile(QStringLiteral("b.mpg"));

    platform::FileListBox hidden;
    hidden.SetPattern(QStringLiteral("*.avi"));
    hidden.SetPath(folder.Path());
    hidden.SetPattern(QStringLiteral("*.mpg"));
    EXPECT_EQ(hidden.ReadCount(), 0);
    ASSERT_EQ(hidden.ListCount(), 1);
    EXPECT_EQ(hidden.List(0), "b.mpg");
    EXPECT_EQ(hidden.ReadCount(), 1);

    // What a shown picker draws follows each setting at once.
    platform::FileListBox shown;
    shown.show();
    auto* list = shown.findChild<QListView*>();
    ASSERT_NE(list, nullptr);
    shown.SetPath(folder.Path());
    shown.SetPattern(QStringLiteral("*.avi"));
    ASSERT_EQ(list->model()->rowCount(), 1);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), "a.avi");
}

} // namespace
