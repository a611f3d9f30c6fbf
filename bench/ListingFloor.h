// What listing a folder of movie files costs the machine at least, shared by
// the benchmarks that compare the browser's list with it (bench/listing and
// bench/startup), and the folder they measure on.
#pragma once

#include <QByteArray>
#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace bench {

// Fills `folder` with `rows` files clip00000.avi ... of varied sizes (sparse)
// and last-write dates spread over years, so that neither sort meets its rows
// already in order. The same seed gives the same folder every time.
inline bool MakeListingFolder(const QString& folder, int rows)
{
    unsigned state = 12345;
    for (int i = 0; i < rows; ++i) {
        state = state * 1103515245u + 12345u;
        const QByteArray path = (folder + QStringLiteral("/clip%1.avi").arg(i, 5, 10, QLatin1Char('0'))).toLocal8Bit();
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0)
            return false;
        const off_t size = static_cast<off_t>(state % 50'000'000u);
        const bool sized = ::ftruncate(fd, size) == 0;
        ::close(fd);
        const time_t when = 946684800 + static_cast<time_t>((state >> 8) % (20u * 365u)) * 86400;
        const timeval times[2] = {{when, 0}, {when, 0}};
        if (!sized || ::utimes(path.constData(), times) != 0)
            return false;
    }
    return true;
}

// What any listing must do: read the folder, and per matching name ask its
// length and open it to read its last-write time. The sum keeps the calls
// from being optimised away; -1 when the folder cannot be opened.
inline long long ListingFloor(const QByteArray& folder)
{
    long long sum = 0;
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return -1;
    while (const dirent* entry = ::readdir(dir)) {
        if (::fnmatch("*.avi", entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        const QByteArray path = folder + '/' + entry->d_name;
        struct stat info {};
        if (::stat(path.constData(), &info) == 0)
            sum += info.st_size;
        const int fd = ::open(path.constData(), O_RDONLY);
        if (fd >= 0) {
            if (::fstat(fd, &info) == 0)
                sum += info.st_mtime;
            ::close(fd);
        }
    }
    ::closedir(dir);
    return sum;
}

} // namespace bench
