#include "platform/system/FolderEntries.h"

#include "platform/system/FileNameBytes.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

// A folder's file times advance once per clock tick on many systems, so a
// change made just after a read may carry the time of one made just before
// it. A change older than this when the read began is safely older than any
// change the read could miss.
constexpr long long kSettledNs = 100'000'000;
// Kept entries are for the read that follows at once; later ones read afresh.
constexpr long long kKeptForNs = 1'000'000'000;

long long Nanoseconds(const timespec& time)
{
    return static_cast<long long>(time.tv_sec) * 1'000'000'000LL + time.tv_nsec;
}

long long ClockNs(clockid_t clock)
{
    timespec now{};
    ::clock_gettime(clock, &now);
    return Nanoseconds(now);
}

// The entries other than folders that one read for folders passed over.
struct KeptEntries {
    QString folder;
    dev_t device = 0;
    ino_t inode = 0;
    long long modifiedNs = 0;
    long long keptAtNs = 0;
    // Each name's bytes and a NUL, one after another; each entry holds where
    // its name starts and the kind the folder told.
    std::string names;
    std::vector<std::pair<size_t, unsigned char>> entries;

    bool StillHold(const QString& path, const struct stat& status) const
    {
        return path == folder && status.st_dev == device && status.st_ino == inode
               && Nanoseconds(status.st_mtim) == modifiedNs && ClockNs(CLOCK_MONOTONIC) - keptAtNs < kKeptForNs;
    }
};

std::optional<KeptEntries>& Kept()
{
    static std::optional<KeptEntries> kept;
    return kept;
}

int& ReadsFromKept()
{
    static int reads = 0;
    return reads;
}

// Adds one entry of the folder open as `folderFd` to `names` when it is of
// the asked kind and accepted.
void Offer(int folderFd, const char* entryName, unsigned char type, EntryKind kind, QStringList& names,
           const std::function<bool(const QString&)>& accept)
{
    const bool wantFolders = kind == EntryKind::Folders;
    // An entry whose kind the folder already tells is judged before its name
    // is decoded: the folder picker passes over thousands of files.
    if ((type == DT_REG && wantFolders) || (type == DT_DIR && !wantFolders))
        return;
    const QString name = NameFromBytes(entryName);
    if (!accept(name))
        return;
    bool kindMatches = type == DT_REG || type == DT_DIR;
    if (type == DT_LNK || type == DT_UNKNOWN) {
        struct stat info {};
        if (::fstatat(folderFd, entryName, &info, 0) == 0)
            kindMatches = wantFolders ? S_ISDIR(info.st_mode) : S_ISREG(info.st_mode);
    }
    if (kindMatches)
        names.append(name);
}

} // namespace

PathError PathErrorOf(int number)
{
    return PathError{number, QString::fromLocal8Bit(std::strerror(number))};
}

std::optional<PathError> ReadFolderEntries(const QString& folder, EntryKind kind, QStringList& names,
                                           const std::function<bool(const QString&)>& accept)
{
    // Whatever was kept serves this read or none.
    const std::optional<KeptEntries> kept = std::exchange(Kept(), std::nullopt);

    const QByteArray encoded = NameToBytes(folder);
    const int fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return PathErrorOf(errno);
    struct stat status {};
    const bool statted = ::fstat(fd, &status) == 0;
    if (kind == EntryKind::Files && kept && statted && kept->StillHold(folder, status)) {
        for (const auto& [start, type] : kept->entries)
            Offer(fd, kept->names.data() + start, type, kind, names, accept);
        ::close(fd);
        ++ReadsFromKept();
        return std::nullopt;
    }

    const long long startNs = ClockNs(CLOCK_REALTIME);
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return PathErrorOf(error);
    }
    // Keeping costs a copy of each file's name; it is paid only where the
    // kept entries can be trusted.
    const bool keep = kind == EntryKind::Folders && statted && Nanoseconds(status.st_mtim) < startNs - kSettledNs;
    KeptEntries files;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        if (keep && entry->d_type != DT_DIR) {
            files.entries.emplace_back(files.names.size(), entry->d_type);
            files.names.append(entry->d_name, std::strlen(entry->d_name) + 1);
        }
        Offer(fd, entry->d_name, entry->d_type, kind, names, accept);
    }
    ::closedir(dir);
    if (keep) {
        files.folder = folder;
        files.device = status.st_dev;
        files.inode = status.st_ino;
        files.modifiedNs = Nanoseconds(status.st_mtim);
        files.keptAtNs = ClockNs(CLOCK_MONOTONIC);
        Kept() = std::move(files);
    }
    return std::nullopt;
}

int FileReadsFromKeptEntries()
{
    return ReadsFromKept();
}

} // namespace platform
