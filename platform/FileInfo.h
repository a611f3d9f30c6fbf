// What the file list needs to know of one file: its 64-bit length, and the
// calendar date of its last write in local time, read through a file opened
// for reading (a file that cannot be opened for reading has no date). Tests
// make the open fail through a seam, because as root permission bits never
// stop a read.
#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <optional>

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

// For tests: a path for which the predicate returns true cannot be opened.
// An empty predicate removes the seam.
void SetOpenFailureForTests(std::function<bool(const QString& path)> predicate);

// The name part of a path when it names an existing ordinary file that is
// not hidden (a directory look-up of the path); "" otherwise. The name is its
// display text, for captions.
QString ExistingFileName(const QString& path);

} // namespace platform
