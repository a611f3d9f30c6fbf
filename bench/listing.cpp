// Measures the browser window's list against what the machine must do anyway:
//   fill_vs_floor        a folder change (the file picker reads the folder,
//                        the list is rebuilt with size and date per file)
//                        against the least any listing must do here: one
//                        getdents64 read of the folder and, per matching
//                        name, openat on the open folder, fstat and close,
//                        spread over 1, 2 and as many threads as cores, the
//                        best of these (ListingFloor.h);
//   fill_vs_single_thread_floor
//                        the same fill against the old yardstick, the same
//                        calls by path on one thread;
//   sort_size_vs_floor   a click on the size header against std::stable_sort
//   sort_date_vs_floor   a click on the date header against std::stable_sort
//                        of the same rows' numbers (day counts for dates);
//   list_mb              the heap the filled list holds beyond an empty list;
//   fill_with_history_vs_floor
//                        the same folder change when the watch history holds
//                        a record for every file, so every row is marked,
//                        against the same floor.
// Each time is the best of several runs, so one slow run does not decide.
#include "app/Vidrolle_2ndS.h"
#include "shared/Vidrolle_2nd_b.h"
#include "shared/WatchHistory.h"
#include "bench/ListingFloor.h"
#include "platform/system/FileInfo.h"
#include "platform/system/FileNameBytes.h"
#include "platform/storage/HistoryStore.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/MessageBox.h"
#include "platform/widgets/Pickers.h"
#include "platform/rules/Runtime.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <functional>
#include <malloc.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 32767;
constexpr int kRuns = 5;

double BestSeconds(const std::function<void()>& run, const std::function<void()>& before = {}, int runs = kRuns)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

size_t HeapInUse()
{
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir program;
    QTemporaryDir movies;
    QTemporaryDir empty;
    if (!program.isValid() || !movies.isValid() || !empty.isValid() || !bench::MakeListingFolder(movies.path(), kRows)) {
        std::fprintf(stderr, "cannot make the test folders\n");
        return 1;
    }
    // No message may interrupt the measurement; one would mean a file that
    // could not be read, and the run is void.
    int messages = 0;
    platform::SetMessageBoxHandler([&messages](const platform::MessageRequest& request) {
        if (++messages == 1)
            std::fprintf(stderr, "message: %s\n", qPrintable(request.text));
        return platform::MsgAnswer::Ok;
    });
    SetProgramFolderForTests(program.path());
    WriteIniValue(kSettingsSection, "Path", empty.path(), SettingsFileName());
    WriteIniValue(kSettingsSection, "Pattern", "*.avi", SettingsFileName());

    PlayState state;
    BrowserDependencies dependencies;
    dependencies.mediaEngines = [](QWidget*) { return std::unique_ptr<platform::MediaEngine>(); };
    dependencies.streamingEngines = [](QWidget*) { return std::unique_ptr<platform::StreamingEngine>(); };
    dependencies.endProgram = [] {};
    Vidrolle_2ndS window(state, std::move(dependencies));
    window.Form_Load();
    window.show();
    QApplication::processEvents();

    // Memory: the list of an empty folder against the same list filled.
    malloc_trim(0);
    const size_t emptyHeap = HeapInUse();
    window.Dir1->SetPath(movies.path());
    QApplication::processEvents();
    const size_t filledHeap = HeapInUse();
    if (window.ListV->Count() != kRows) {
        std::fprintf(stderr, "listed %d files of %d\n", window.ListV->Count(), kRows);
        return 1;
    }

    const QByteArray folder = movies.path().toLocal8Bit();
    long long sink = 0;
    // The floors and the fill take turns, so that a machine that speeds up
    // or slows down over the run (other work, a virtual machine's
    // neighbours) touches them alike.
    double singleThreadFloor = 1e300;
    double floorFill = 1e300;
    double fill = 1e300;
    for (int turn = 0; turn < kRuns; ++turn) {
        singleThreadFloor = std::min(singleThreadFloor, BestSeconds([&] { sink += bench::ListingFloor(folder); }, {}, 1));
        floorFill = std::min(floorFill, bench::BestHonestListingFloor(folder, 1, sink));
        fill = std::min(fill, BestSeconds(
                                  [&] {
                                      window.Dir1_Change();
                                      QApplication::processEvents();
                                  },
                                  {}, 1));
    }

    // The sorts start from the file picker's order each time; both flags are
    // kept ascending so every run does the same work.
    const auto refill = [&] {
        window.Dir1_Change();
        window.ColumnSortAscending = {};
        // The refilled list is laid out and drawn before the click, as it is
        // when a user clicks a header; that work belongs to the fill.
        QApplication::processEvents();
    };
    const double sortSize = BestSeconds(
        [&] {
            window.ListV_ColumnClick(2);
            QApplication::processEvents();
        },
        refill);
    const double sortDate = BestSeconds(
        [&] {
            window.ListV_ColumnClick(3);
            QApplication::processEvents();
        },
        refill);

    // The list view's own share: a sort by the shown size texts, no keys built.
    refill();
    const double viewSortOnly = BestSeconds(
        [&] {
            window.ListV->SetSortKey(1);
            window.ListV->SetSorted(true);
        },
        [&] {
            window.ListV->SetSortKey(0);
            window.ListV->SetSorted(true);
        });

    // The floors sort the same rows' numbers: sizes as shown, dates as day counts.
    std::vector<double> sizes;
    std::vector<double> dates;
    refill();
    for (int row = 1; row <= kRows; ++row) {
        sizes.push_back(platform::ParseNumber(window.ListV->SubItemText(row, 1)).value_or(0));
        dates.push_back(platform::TextToDate(window.ListV->SubItemText(row, 2)).value_or(0));
    }
    std::vector<double> work;
    const double floorSortSize = BestSeconds([&] { std::stable_sort(work.begin(), work.end()); },
                                             [&] { work = sizes; });
    const double floorSortDate = BestSeconds([&] { std::stable_sort(work.begin(), work.end()); },
                                             [&] { work = dates; });

    // Every file gets a record, as if each had been played once; the last
    // one saved is the folder's last played file.
    {
        const std::unique_ptr<platform::HistoryStore> store = platform::HistoryStore::Open(HistoryFileName());
        if (!store || !window.HistoryOpen()) {
            std::fprintf(stderr, "cannot open the watch history\n");
            return 1;
        }
        const QByteArray folderBytes = platform::NameToBytes(window.Dir1->Path());
        for (int row = 1; row <= kRows; ++row) {
            const QString name = window.ListV->Name(row);
            const auto stamp = platform::FileStampOf(window.Dir1->Path() + u'/' + name);
            const ShowingEnd end = static_cast<ShowingEnd>(1 + row % 4);
            if (!stamp || !store->Save(folderBytes, platform::NameToBytes(name),
                                       NextRecord(std::nullopt, *stamp, {end, row * 1.0, 3600.0}, row))) {
                std::fprintf(stderr, "cannot record a showing\n");
                return 1;
            }
        }
    }
    refill();
    int marked = 0;
    for (int row = 1; row <= kRows; ++row)
        marked += window.ListV->Mark(row) != 0 ? 1 : 0;
    if (marked != kRows) {
        std::fprintf(stderr, "marked %d rows of %d\n", marked, kRows);
        return 1;
    }
    const double fillWithHistory = BestSeconds([&] {
        window.Dir1_Change();
        QApplication::processEvents();
    });

    if (messages != 0) {
        std::fprintf(stderr, "%d messages during the run\n", messages);
        return 1;
    }
    std::printf("fill_vs_floor N=%d: %.2f\n", kRows, fill / floorFill);
    std::printf("fill_vs_single_thread_floor N=%d: %.2f\n", kRows, fill / singleThreadFloor);
    std::printf("fill_with_history_vs_floor N=%d: %.2f\n", kRows, fillWithHistory / floorFill);
    std::printf("sort_size_vs_floor N=%d: %.2f\n", kRows, sortSize / floorSortSize);
    std::printf("sort_date_vs_floor N=%d: %.2f\n", kRows, sortDate / floorSortDate);
    std::printf("list_mb N=%d: %.1f\n", kRows, static_cast<double>(filledHeap - emptyHeap) / (1024.0 * 1024.0));
    std::fprintf(stderr, "fill with history %.1f ms; single-thread floor %.1f ms\n", fillWithHistory * 1e3,
                 singleThreadFloor * 1e3);
    std::fprintf(stderr, "fill %.1f ms (floor %.1f ms), size sort %.1f ms (floor %.2f ms), date sort %.1f ms (floor %.2f ms), list view's sort alone %.1f ms [%lld]\n",
                 fill * 1e3, floorFill * 1e3, sortSize * 1e3, floorSortSize * 1e3, sortDate * 1e3,
                 floorSortDate * 1e3, viewSortOnly * 1e3, sink % 10);
    return 0;
}
