#include "shared/Vidrolle_2nd_b.h"
#include "platform/system/FileInfo.h"
#include "platform/rules/Runtime.h"

#include "MessageRecorder.h"
#include "TempFolder.h"

#include <QFile>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <vector>

namespace {

// Sets the TZ variable for one test and puts the previous value back.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            previous_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (previous_.empty())
            unsetenv("TZ");
        else
            setenv("TZ", previous_.c_str(), 1);
        tzset();
    }

private:
    std::string previous_;
};

struct OpenFailureScope {
    explicit OpenFailureScope(std::function<bool(const QString&)> predicate)
    {
        platform::SetOpenFailureForTests(std::move(predicate));
    }
    ~OpenFailureScope() { platform::SetOpenFailureForTests({}); }
};

bool SetModificationTime(const QString& path, time_t seconds)
{
    const struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimes(QFile::encodeName(path).constData(), times) == 0;
}

} // namespace

TEST(FileInfo, LengthIsSixtyFourBit)
{
    TempFolder dir;
    EXPECT_EQ(platform::FileLength(dir.MakeFile("empty.avi")), 0);
    EXPECT_EQ(platform::FileLength(dir.MakeFile("small.avi", 1536)), 1536);
    EXPECT_EQ(platform::FileLength(dir.MakeFile("sparse.avi", 1234567890LL)), 1234567890LL);
    EXPECT_EQ(platform::FileLength(dir.MakeFile("huge.avi", 5LL * 1024 * 1024 * 1024)), 5LL * 1024 * 1024 * 1024);
    EXPECT_EQ(platform::FileLength(dir.FilePath("missing.avi")), std::nullopt);
}

TEST(FileInfo, LastWriteDateIsTheLocalCalendarDate)
{
    TempFolder dir;
    const QString file = dir.MakeFile("clip.avi", 10);
    // 2007-10-03 20:00 UTC is already 4 October in Tokyo.
    ASSERT_TRUE(SetModificationTime(file, 1191441600));
    {
        TimeZoneScope zone("UTC0");
        EXPECT_EQ(platform::FileLastWriteLocalDate(file), QDate(2007, 10, 3));
    }
    {
        TimeZoneScope zone("JST-9");
        EXPECT_EQ(platform::FileLastWriteLocalDate(file), QDate(2007, 10, 4));
        MessageRecorder recorder;
        EXPECT_EQ(GetFileDate(file), platform::DateSerial(2007, 10, 4));
        EXPECT_TRUE(recorder.messages.empty());
    }
}

TEST(FileInfo, UnopenableFileHasNoDateAndShowsOneMessage)
{
    TempFolder dir;
    const QString file = dir.MakeFile("locked.avi", 10);
    const QString other = dir.MakeFile("other.avi", 10);
    OpenFailureScope seam([&](const QString& path) { return path == file; });
    EXPECT_EQ(platform::FileLastWriteLocalDate(file), std::nullopt);
    EXPECT_NE(platform::FileLastWriteLocalDate(other), std::nullopt);

    MessageRecorder recorder;
    EXPECT_EQ(GetFileDate(file), 0);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "Error " + file);
    EXPECT_EQ(recorder.messages[0].title, "Vidrolle_2nd");
    EXPECT_EQ(recorder.messages[0].buttons, platform::MsgButtons::Ok);

    EXPECT_EQ(GetFileDate(dir.FilePath("missing.avi")), 0);
    EXPECT_EQ(recorder.messages.size(), 2u);
}

TEST(FileInfo, UnreadableFileAndNamedPipeDoNotStall)
{
    TempFolder dir;
    const QString pipe = dir.FilePath("pipe.avi");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // Opening a pipe for reading would wait for a writer; the date comes back
    // at once instead.
    EXPECT_NE(platform::FileLastWriteLocalDate(pipe), std::nullopt);

    if (geteuid() == 0)
        return; // permission bits do not stop root
    const QString file = dir.MakeFile("noread.avi", 10);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0200), 0);
    EXPECT_EQ(platform::FileLastWriteLocalDate(file), std::nullopt);
    EXPECT_EQ(platform::FileLength(file), 10);
}

// A listing keeps each hour's offset from UTC; its dates must be the zone
// rules' own around every change of offset: whole-hour summer time, a change
// at half past the hour (Lord Howe), one at local midnight and half past a
// UTC hour (Tehran, 2021), the day Samoa skipped in 2011, and times before
// 1970.
TEST(FileInfo, AListingsDatesAreTheZoneRulesDates)
{
    TempFolder dir;
    const QString file = dir.MakeFile("clip.avi", 10);
    // Each hour's first and last seconds, where a change of offset falls, and
    // one in between.
    const auto hoursFrom = [](time_t start, int hours) {
        std::vector<time_t> times;
        for (time_t hour = start; hour < start + hours * 3600; hour += 3600)
            for (const time_t within : {0, 1799, 3599})
                times.push_back(hour + within);
        return times;
    };
    const time_t year2024 = 1704067200;
    const struct {
        const char* zone;
        std::vector<time_t> times;
    } cases[] = {
        {"America/New_York", hoursFrom(year2024, 366 * 24)},
        {"Australia/Lord_Howe", hoursFrom(year2024, 366 * 24)},
        {"Pacific/Apia", hoursFrom(1325030400, 4 * 24)},
        {"Asia/Tehran", hoursFrom(1632096000, 4 * 24)},
        {"Asia/Tokyo", hoursFrom(-86400 * 3, 6 * 24)},
    };
    for (const auto& [zone, times] : cases) {
        TimeZoneScope scope(zone);
        platform::ListingPath listing(dir.Path() + u'/');
        const QString name = QStringLiteral("clip.avi");
        listing.SetName(name);
        // Twice over, so the second round reads kept hours.
        for (int round = 0; round < 2; ++round) {
            for (const time_t when : times) {
                ASSERT_TRUE(SetModificationTime(file, when));
                ASSERT_EQ(platform::FileLastWriteLocalDate(listing), platform::FileLastWriteLocalDate(file))
                    << zone << " at " << when;
            }
        }
    }
}

// A folder large enough to be read on several threads gives every file its
// own facts, in the order of the names, with the files that cannot be opened
// or are gone where they stand.
TEST(FileInfo, ALargeListingReadsEachFileInItsPlace)
{
    TempFolder dir;
    std::vector<QString> names;
    for (int i = 0; i < 4200; ++i) {
        const QString name = QStringLiteral("clip%1.avi").arg(i);
        names.push_back(name);
        if (i % 1000 == 999)
            continue; // listed, but not there
        const QString file = dir.MakeFile(name, i);
        ASSERT_TRUE(SetModificationTime(file, 1191441600 + time_t(i) * 86400));
    }
    OpenFailureScope seam([](const QString& path) { return path.endsWith(QLatin1String("77.avi")); });
    // Asked in order while later blocks are still being read.
    platform::ListedFilesReader files(dir.Path() + u'/', names, true, true);
    for (size_t i = 0; i < names.size(); ++i) {
        const QString path = dir.FilePath(names[i]);
        const platform::ListedFile& file = files.At(i);
        ASSERT_EQ(file.stamp.has_value(), i % 1000 != 999) << i;
        if (file.stamp) {
            // Read through the open or, where that fails, by name: the same facts.
            ASSERT_EQ(file.stamp->length, static_cast<long long>(i)) << i;
            ASSERT_EQ(file.stamp->modifiedNs, platform::FileStampOf(path)->modifiedNs) << i;
        }
        ASSERT_EQ(file.date, platform::FileLastWriteLocalDate(path)) << i;
        ASSERT_EQ(file.date.has_value(), i % 1000 != 999 && i % 100 != 77) << i;
    }
    // Asked last name first, the caller reads the blocks before it itself.
    platform::ListedFilesReader backwards(dir.Path() + u'/', names, true, true);
    for (size_t i = names.size(); i-- > 0;) {
        const platform::ListedFile& file = backwards.At(i);
        ASSERT_EQ(file.date, files.At(i).date) << i;
        ASSERT_EQ(file.stamp.has_value(), files.At(i).stamp.has_value()) << i;
        if (file.stamp) {
            ASSERT_EQ(file.stamp->length, files.At(i).stamp->length) << i;
        }
    }
}
