#include "platform/system/FileInfo.h"

#include "platform/system/FileNameBytes.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <tuple>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

std::function<bool(const QString&)>& OpenFailurePredicate()
{
    static std::function<bool(const QString&)> predicate;
    return predicate;
}

std::optional<QDate> LocalDateByTheZoneRules(time_t when)
{
    struct tm local {};
    if (!::localtime_r(&when, &local))
        return std::nullopt;
    const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

FileStamp StampOfStatus(const struct stat& status)
{
    return FileStamp{static_cast<long long>(status.st_size),
                     static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000LL + status.st_mtim.tv_nsec};
}

// `bytes` is relative to the folder open as `folderFd`, or absolute with
// AT_FDCWD, here and below.
std::optional<FileStamp> StampAt(int folderFd, const char* bytes)
{
    struct stat status {};
    if (::fstatat(folderFd, bytes, &status, 0) != 0)
        return std::nullopt;
    return StampOfStatus(status);
}

// The status of a file opened for reading; nothing when it cannot be opened.
std::optional<struct stat> StatusThroughOpen(int folderFd, const char* bytes)
{
    // O_NONBLOCK keeps a named pipe in the folder from stalling the listing;
    // for ordinary files it changes nothing.
    int fd = -1;
    do {
        fd = ::openat(folderFd, bytes, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;

    struct stat status {};
    const bool statted = ::fstat(fd, &status) == 0;
    ::close(fd);
    if (!statted)
        return std::nullopt;
    return status;
}

// The status of one file of a listing read through an open, as its date
// must be; nothing when it cannot be opened (or the test seam says so).
std::optional<struct stat> ListedStatusThroughOpen(const ListingPath& path)
{
    if (OpenFailurePredicate() && OpenFailurePredicate()(path.Text()))
        return std::nullopt;
    return StatusThroughOpen(path.FolderFd(), path.Bytes());
}

} // namespace

std::optional<long long> FileLength(const QString& path)
{
    if (const std::optional<FileStamp> stamp = FileStampOf(path))
        return stamp->length;
    return std::nullopt;
}

std::optional<FileStamp> FileStampOf(const QString& path)
{
    // A listing asks for every file of a folder in turn; one buffer per
    // thread keeps each question free of allocation.
    thread_local std::string bytes;
    NameToBytes(path, bytes);
    return StampAt(AT_FDCWD, bytes.c_str());
}

std::optional<QDate> FileLastWriteLocalDate(const QString& path)
{
    if (OpenFailurePredicate() && OpenFailurePredicate()(path))
        return std::nullopt;
    thread_local std::string bytes;
    NameToBytes(path, bytes);
    const std::optional<struct stat> status = StatusThroughOpen(AT_FDCWD, bytes.c_str());
    if (!status)
        return std::nullopt;
    return LocalDateByTheZoneRules(status->st_mtim.tv_sec);
}

ListingPath::ListingPath(const QString& folder)
    : folder_(folder)
{
    NameToBytes(folder, bytes_);
    folderSize_ = bytes_.size();
    // Where the folder cannot be opened, each file is looked up by its whole
    // path, which fails or succeeds for it alone.
    folderFd_ = ::open(bytes_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

ListingPath::~ListingPath()
{
    if (folderFd_ >= 0)
        ::close(folderFd_);
}

const char* ListingPath::Bytes() const
{
    return folderFd_ >= 0 ? nameBytes_.c_str() : bytes_.c_str();
}

int ListingPath::FolderFd() const
{
    return folderFd_ >= 0 ? folderFd_ : AT_FDCWD;
}

void ListingPath::SetName(const QString& name)
{
    name_ = name;
    NameToBytes(name_, nameBytes_);
    bytes_.resize(folderSize_);
    bytes_ += nameBytes_;
}

std::optional<FileStamp> FileStampOf(const ListingPath& path)
{
    return StampAt(path.FolderFd(), path.Bytes());
}

std::optional<QDate> FileLastWriteLocalDate(ListingPath& path)
{
    const std::optional<struct stat> status = ListedStatusThroughOpen(path);
    if (!status)
        return std::nullopt;
    return path.localHours_.DateOf(status->st_mtim.tv_sec);
}

std::optional<QDate> LocalHours::DateOf(time_t when)
{
    constexpr long long kHour = 3600;
    constexpr long long kDay = 86400;
    const long long hour = when >= 0 ? when / kHour : -((-static_cast<long long>(when) + kHour - 1) / kHour);
    // Times of a folder often fall on whole hours or whole days, whose
    // numbers share their low bits: the slot is picked by a multiplicative
    // hash of the hour, so they spread over every slot.
    const size_t index = static_cast<size_t>((static_cast<unsigned long long>(hour) * 0x9E3779B97F4A7C15ULL) >> 54);
    static_assert(std::tuple_size_v<decltype(slots_)> == size_t{1} << 10);
    Slot& slot = slots_[index];
    if (slot.hour != hour) {
        slot = {hour, 0, false};
        return LocalDateByTheZoneRules(when);
    }
    if (!slot.kept) {
        struct tm first {};
        struct tm last {};
        const time_t start = static_cast<time_t>(hour * kHour);
        const time_t end = start + static_cast<time_t>(kHour - 1);
        if (!::localtime_r(&start, &first) || !::localtime_r(&end, &last) || first.tm_gmtoff != last.tm_gmtoff)
            return LocalDateByTheZoneRules(when);
        slot = {hour, first.tm_gmtoff, true};
    }
    const long long local = static_cast<long long>(when) + slot.offset;
    const long long days = local >= 0 ? local / kDay : -((-local + kDay - 1) / kDay);
    // Day 2440588 of the Julian day count is 1 January 1970.
    const QDate date = QDate::fromJulianDay(days + 2440588);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

ListedFilesReader::ListedFilesReader(const QString& folder, const std::vector<QString>& names, bool stamps,
                                     bool dates)
    : folder_(folder)
    , names_(names)
    , stamps_(stamps)
    , dates_(dates)
    , files_(names.size())
    , blockCount_(stamps || dates ? (names.size() + kBlock - 1) / kBlock : 0)
    , done_(std::make_unique<std::atomic<bool>[]>(blockCount_))
{
    // A small folder is read faster than a thread starts. The caller's
    // thread counts as one: it reads whatever it waits for.
    constexpr size_t kNamesPerThread = 2048;
    const size_t threads = std::min<size_t>({std::max(1u, std::thread::hardware_concurrency()), 4,
                                             (names.size() + kNamesPerThread - 1) / kNamesPerThread});
    for (size_t i = 1; i < threads && blockCount_ > 0; ++i) {
        // Without another thread the ones already running read it all.
        try {
            helpers_.emplace_back([this] {
                ListingPath path(folder_);
                while (ReadNextBlock(path)) {
                }
            });
        } catch (const std::system_error&) {
            break;
        }
    }
}

ListedFilesReader::~ListedFilesReader()
{
    for (std::thread& helper : helpers_)
        helper.join();
}

ListedFile& ListedFilesReader::At(size_t index)
{
    if (blockCount_ == 0)
        return files_[index];
    std::atomic<bool>& done = done_[index / kBlock];
    while (!done.load(std::memory_order_acquire)) {
        // The caller reads the next block while its own is read elsewhere;
        // when none is left it sleeps until its block is done.
        if (!ownPath_)
            ownPath_ = std::make_unique<ListingPath>(folder_);
        if (!ReadNextBlock(*ownPath_))
            done.wait(false, std::memory_order_acquire);
    }
    return files_[index];
}

bool ListedFilesReader::ReadNextBlock(ListingPath& path)
{
    const size_t block = nextBlock_.fetch_add(1);
    if (block >= blockCount_)
        return false;
    const size_t end = std::min(names_.size(), (block + 1) * kBlock);
    for (size_t i = block * kBlock; i < end; ++i) {
        path.SetName(names_[i]);
        ListedFile& file = files_[i];
        // The open the date needs tells the stamp as well, one look-up
        // instead of two; a file that cannot be opened is still asked its
        // stamp by name.
        if (dates_) {
            if (const std::optional<struct stat> status = ListedStatusThroughOpen(path)) {
                file.date = path.localHours_.DateOf(status->st_mtim.tv_sec);
                if (stamps_)
                    file.stamp = StampOfStatus(*status);
            }
        }
        if (stamps_ && !file.stamp)
            file.stamp = FileStampOf(path);
    }
    done_[block].store(true, std::memory_order_release);
    done_[block].notify_all();
    return true;
}

void SetOpenFailureForTests(std::function<bool(const QString& path)> predicate)
{
    OpenFailurePredicate() = std::move(predicate);
}

} // namespace platform
