// What the file list needs to know of one file: its 64-bit length, and the
// calendar date of its last write in local time, read through a file opened
// for reading (a file that cannot be opened for reading has no date). Tests
// make the open fail through a seam, because as root permission bits never
// stop a read.
#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <atomic>
#include <ctime>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace platform {

// Length in bytes; nullopt when the file does not exist or cannot be queried.
std::optional<long long> FileLength(const QString& path);

// The length and the last-write time (nanoseconds since 1970, UTC) from one
// look-up, which together tell a file from another one put in its place.
struct FileStamp {
    long long length = 0;
    long long modifiedNs = 0;
};
std::optional<FileStamp> FileStampOf(const QString& path);

// Opens the file for reading, reads its last-write time, closes it, and
// returns that time's calendar date in local time; nullopt when the file
// cannot be opened for reading.
std::optional<QDate> FileLastWriteLocalDate(const QString& path);

// The calendar dates in local time of the write times of one listing.
// localtime_r takes a lock and walks the zone's rules on every call, and a
// listing asks for thousands of times that fall in few hours: the offset from
// UTC of each hour met is kept when it is the same at the hour's first and
// last second, so a change of offset inside an hour is always asked of the
// rules. It lives as long as one listing, so a change of the machine's zone
// is seen by the next.
class LocalHours {
public:
    std::optional<QDate> DateOf(time_t when);

private:
    // An hour met once is only noted: files written in hours of their own
    // (a folder gathered over years) would otherwise pay three calls into
    // the rules where one gives the date.
    struct Slot {
        long long hour = std::numeric_limits<long long>::min();
        long offset = 0;
        bool kept = false;
    };
    std::array<Slot, 1024> slots_{};
};

// What a listing learns of one of its files.
struct ListedFile {
    std::optional<FileStamp> stamp;
    std::optional<QDate> date;
};

// The path of each file of one folder in turn, as a listing asks for them.
// The folder is opened once and each file looked up from it, which spares
// the kernel a walk down the folder's path for every file. Each name is
// converted to bytes once, allocating only while the buffer grows; the
// path's text is made only when asked for.
class ListingPath {
public:
    // `folder` ends with a slash.
    explicit ListingPath(const QString& folder);
    ~ListingPath();
    ListingPath(const ListingPath&) = delete;
    ListingPath& operator=(const ListingPath&) = delete;
    // The path keeps a view of `name`, not a copy: taking a copy of a text
    // shared with other threads costs a locked count on every file. The name
    // must stay alive until the next SetName.
    void SetName(const QString& name);
    void SetName(QString&&) = delete;
    // The file for the system's *at calls: the name's bytes from the open
    // folder, or the whole path from AT_FDCWD where the folder could not be
    // opened.
    const char* Bytes() const;
    int FolderFd() const;
    QString Text() const { return folder_ + name_.toString(); }

private:
    QString folder_;
    QStringView name_;
    std::string bytes_;
    std::string nameBytes_;
    size_t folderSize_ = 0;
    int folderFd_ = -1;
    LocalHours localHours_;
    friend std::optional<QDate> FileLastWriteLocalDate(ListingPath& path);
    friend class ListedFilesReader;
};
std::optional<FileStamp> FileStampOf(const ListingPath& path);
std::optional<QDate> FileLastWriteLocalDate(ListingPath& path);

// What a listing asks of each of its files: the stamp (when `stamps`) and the
// last-write date read through an open (when `dates`), for `names` in
// `folder` (which ends with a slash); the open file tells both. A large
// folder is read on a few threads at once, from the moment the reader is
// made: its thousands of system calls are the bulk of a listing, and they
// wait on the kernel, not on each other. The names are read in blocks in
// their order, so the caller can make its rows in order while later ones
// are still read; `names` must outlive the reader, which waits for its
// threads when it goes.
class ListedFilesReader {
public:
    ListedFilesReader(const QString& folder, const std::vector<QString>& names, bool stamps, bool dates);
    ~ListedFilesReader();
    ListedFilesReader(const ListedFilesReader&) = delete;
    ListedFilesReader& operator=(const ListedFilesReader&) = delete;

    // What was learnt of names[index]; waits until it is read.
    ListedFile& At(size_t index);

private:
    // Blocks are handed out in turn, so a thread held up by a slow file does
    // not hold up the rest.
    static constexpr size_t kBlock = 256;
    bool ReadNextBlock(ListingPath& path);

    const QString folder_;
    const std::vector<QString>& names_;
    const bool stamps_;
    const bool dates_;
    std::vector<ListedFile> files_;
    const size_t blockCount_;
    std::unique_ptr<std::atomic<bool>[]> done_;
    std::atomic<size_t> nextBlock_{0};
    std::unique_ptr<ListingPath> ownPath_;
    std::vector<std::thread> helpers_;
};

// For tests: a path for which the predicate returns true cannot be opened.
// An empty predicate removes the seam.
void SetOpenFailureForTests(std::function<bool(const QString& path)> predicate);

// The name part of a path when it names an existing ordinary file that is
// not hidden (a directory look-up of the path); "" otherwise. The name is its
// display text, for captions.
QString ExistingFileName(const QString& path);

} // namespace platform
