// What listing a folder of movie files costs the machine at least, shared by
// the benchmarks that compare the browser's list with it (bench/listing and
// bench/startup), and the folder they measure on.
#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <string>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// The old yardstick, kept for comparison: on one thread, read the folder,
// and per matching name ask its length by path and open it by path to read
// its last-write time. The sum keeps the calls from being optimised away;
// -1 when the folder cannot be opened.
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

// The least any listing of the folder must do on this machine: one read of
// the folder with getdents64, and per matching name an openat on the open
// folder, an fstat (length and last-write time at once) and a close, the
// names shared out in blocks over `threads` threads (the calling one among
// them). The sum keeps the calls from being optimised away; -1 when the
// folder cannot be opened.
inline long long HonestListingFloor(const QByteArray& folder, int threads)
{
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return -1;
    std::vector<std::string> names;
    alignas(8) char buffer[64 * 1024];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, dir, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (long at = 0; at < got;) {
            // struct linux_dirent64: ino, off, reclen, type, name.
            const auto length = *reinterpret_cast<const unsigned short*>(buffer + at + 16);
            const char* name = buffer + at + 19;
            if (::fnmatch("*.avi", name, FNM_CASEFOLD) == 0)
                names.emplace_back(name);
            at += length;
        }
    }
    std::atomic<long long> sum{0};
    const auto work = [&](size_t first, size_t last) {
        long long part = 0;
        for (size_t i = first; i < last; ++i) {
            const int fd = ::openat(dir, names[i].c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            struct stat info {};
            if (::fstat(fd, &info) == 0)
                part += info.st_size + info.st_mtime;
            ::close(fd);
        }
        sum += part;
    };
    threads = std::max(threads, 1);
    std::vector<std::thread> helpers;
    const size_t block = (names.size() + static_cast<size_t>(threads) - 1) / static_cast<size_t>(threads);
    for (int t = 1; t < threads; ++t)
        helpers.emplace_back(work, std::min(names.size(), block * t), std::min(names.size(), block * (t + 1)));
    work(0, std::min(names.size(), block));
    for (std::thread& helper : helpers)
        helper.join();
    ::close(dir);
    return sum;
}

// The floor of HonestListingFloor over 1, 2 and as many threads as there
// are cores, each spread timed `runs` times: the best time of them all, in
// seconds. `sink` keeps the sums.
inline double BestHonestListingFloor(const QByteArray& folder, int runs, long long& sink)
{
    std::vector<int> spreads{1, 2, static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))};
    double best = 1e300;
    for (const int threads : spreads) {
        for (int run = 0; run < runs; ++run) {
            const auto start = std::chrono::steady_clock::now();
            sink += HonestListingFloor(folder, threads);
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            best = std::min(best, took.count());
        }
    }
    return best;
}

} // namespace bench
