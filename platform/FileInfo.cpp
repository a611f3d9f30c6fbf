#include "platform/FileInfo.h"

#include "platform/FileNameBytes.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
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
    struct stat status {};
    if (::stat(NameToBytes(path).constData(), &status) != 0)
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
    const QByteArray name = NameToBytes(path);
    int fd = -1;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
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
