#include "platform/FileInfo.h"

#include "platform/FileNameBytes.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::function<bool(const QString&)>& OpenFailurePredicate()
{
    static std::function<bool(const QString&)> predicate;
    return predicate;
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
    struct stat status {};
    if (::stat(bytes.c_str(), &status) != 0)
        return std::nullopt;
    return FileStamp{static_cast<long long>(status.st_size),
                     static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000LL + status.st_mtim.tv_nsec};
}

std::optional<QDate> FileLastWriteLocalDate(const QString& path)
{
    if (OpenFailurePredicate() && OpenFailurePredicate()(path))
        return std::nullopt;

    // O_NONBLOCK keeps a named pipe in the folder from stalling the listing;
    // for ordinary files it changes nothing.
    thread_local std::string bytes;
    NameToBytes(path, bytes);
    int fd = -1;
    do {
        fd = ::open(bytes.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return std::nullopt;

    struct stat status {};
    const bool statted = ::fstat(fd, &status) == 0;
    ::close(fd);
    if (!statted)
        return std::nullopt;

    const time_t written = status.st_mtim.tv_sec;
    struct tm local {};
    if (!::localtime_r(&written, &local))
        return std::nullopt;
    const QDate date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

void SetOpenFailureForTests(std::function<bool(const QString& path)> predicate)
{
    OpenFailurePredicate() = std::move(predicate);
}

} // namespace platform
