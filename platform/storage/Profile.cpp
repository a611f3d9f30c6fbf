#include "platform/storage/Profile.h"

#include "platform/system/FileNameBytes.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <optional>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A settings file is a few hundred bytes; anything beyond this is not ours to
// read into memory, and it is not rewritten either, so nothing is cut off.
constexpr qsizetype kMaxFileSize = 16 * 1024 * 1024;
// The reader hands back at most this many characters of a value.
constexpr qsizetype kMaxValueLength = 255;

std::function<bool(const QString&)>& WriteFailurePredicate()
{
    static std::function<bool(const QString&)> predicate;
    return predicate;
}

// One line of the file as byte offsets: [begin, end) is its text, [end, next)
// its line break (empty for a last line without one).
struct Line {
    qsizetype begin;
    qsizetype end;
    qsizetype next;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray TrimBlanks(QByteArrayView bytes)
{
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && IsBlank(bytes[begin]))
        ++begin;
    while (end > begin && IsBlank(bytes[end - 1]))
        --end;
    return bytes.sliced(begin, end - begin).toByteArray();
}

bool HasByteOrderMark(const QByteArray& content)
{
    return content.startsWith("\xEF\xBB\xBF");
}

std::vector<Line> SplitLines(const QByteArray& content)
{
    std::vector<Line> lines;
    qsizetype pos = HasByteOrderMark(content) ? 3 : 0;
    const qsizetype size = content.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && content[end] != '\n' && content[end] != '\r')
            ++end;
        qsizetype next = end;
        if (next < size) {
            if (content[next] == '\r' && next + 1 < size && content[next + 1] == '\n')
                next += 2;
            else
                next += 1;
        }
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

// The file's own line break, so that a rewrite keeps its style; a new or
// single-line file gets LF.
QByteArray LineBreakOf(const QByteArray& content)
{
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (content[i] == '\n')
            return "\n";
        if (content[i] == '\r')
            return (i + 1 < content.size() && content[i + 1] == '\n') ? "\r\n" : "\r";
    }
    return "\n";
}

QByteArrayView TextOf(const QByteArray& content, const Line& line)
{
    return QByteArrayView(content).sliced(line.begin, line.end - line.begin);
}

// Names are read byte for byte, as values are: fromUtf8 would drop a
// byte-order mark at the start of a name, so a name written with one could
// never be found again.
bool SameName(const QByteArray& bytes, const QString& name)
{
    return NameFromBytes(bytes).compare(name, Qt::CaseInsensitive) == 0;
}

// The section name of a header line "[name]"; nullopt for other lines.
std::optional<QByteArray> SectionNameOf(QByteArrayView text)
{
    const QByteArray trimmed = TrimBlanks(text);
    if (!trimmed.startsWith('['))
        return std::nullopt;
    qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        close = trimmed.size();
    return TrimBlanks(QByteArrayView(trimmed).sliced(1, close - 1));
}

// Where a key line of a section keeps its "=": -1 for lines that are no key
// line of the wanted name.
qsizetype KeyEqualsSign(QByteArrayView text, const QString& key)
{
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return -1;
    return SameName(TrimBlanks(text.sliced(0, equals)), key) ? equals : -1;
}

bool IsBlankLine(QByteArrayView text)
{
    return TrimBlanks(text).isEmpty();
}

struct Found {
    std::optional<size_t> header;  // the first header line of the section
    std::optional<size_t> keyLine; // the first line of the key in that section
    qsizetype equals = -1;         // offset of "=" within that line's text
    size_t lastFilled = 0;         // the section's last non-blank line
};

Found Find(const QByteArray& content, const std::vector<Line>& lines, const QString& section,
           const QString& key)
{
    Found found;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArrayView text = TextOf(content, lines[i]);
        if (!found.header) {
            const std::optional<QByteArray> name = SectionNameOf(text);
            if (name && SameName(*name, section)) {
                found.header = i;
                found.lastFilled = i;
            }
            continue;
        }
        if (SectionNameOf(text))
            break;
        if (!IsBlankLine(text))
            found.lastFilled = i;
        if (!found.keyLine) {
            const qsizetype equals = KeyEqualsSign(text, key);
            if (equals >= 0) {
                found.keyLine = i;
                found.equals = equals;
            }
        }
    }
    return found;
}

std::optional<QByteArray> ReadWholeFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size > kMaxFileSize)
        return std::nullopt;
    // read() sets aside all it is asked for before reading, so ask for the
    // file's size (and one byte more, to notice a file that grew) rather
    // than the limit; only a file that did grow is read on to the limit.
    QByteArray content = file.read(size + 1);
    if (content.size() > size)
        content += file.read(kMaxFileSize + 1 - content.size());
    if (content.size() > kMaxFileSize || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return content;
}

QString CappedValue(const QString& value)
{
    if (value.size() <= kMaxValueLength)
        return value;
    qsizetype length = kMaxValueLength;
    // Never leave half of a surrogate pair at the end.
    if (value[length - 1].isHighSurrogate())
        --length;
    return value.left(length);
}

bool HasAny(const QString& text, std::initializer_list<char16_t> characters)
{
    for (const char16_t c : characters)
        if (text.contains(QChar(c)))
            return true;
    return false;
}

// A rewrite goes through a temporary beside the file, named
// ".<file name>.<writer's pid>.<count>.tmp". The pid in the name tells a
// temporary left by a killed writer from one a running copy of the program is
// still busy with, so only the former is ever removed.
// A name can be taken by a temporary that an earlier process of the same pid
// left; the next count is tried then.
constexpr int kNameAttempts = 100;

QByteArray TemporaryName(const QByteArray& baseName)
{
    static std::atomic<unsigned> counter{0};
    return '.' + baseName + '.' + QByteArray::number(qint64(::getpid())) + '.'
        + QByteArray::number(counter.fetch_add(1)) + ".tmp";
}

// The pid of a name made by TemporaryName for this file name; 0 for any other name.
pid_t WriterOfTemporary(QByteArrayView name, const QByteArray& baseName)
{
    const QByteArray prefix = '.' + baseName + '.';
    if (!name.startsWith(prefix) || !name.endsWith(".tmp"))
        return 0;
    const QByteArrayView middle = name.sliced(prefix.size(), name.size() - prefix.size() - 4);
    const qsizetype dot = middle.indexOf('.');
    if (dot <= 0 || dot == middle.size() - 1)
        return 0;
    auto allDigits = [](QByteArrayView digits) {
        for (const char c : digits)
            if (c < '0' || c > '9')
                return false;
        return !digits.isEmpty() && digits.size() <= 18;
    };
    const QByteArrayView pid = middle.first(dot);
    if (!allDigits(pid) || !allDigits(middle.sliced(dot + 1)))
        return 0;
    const qint64 value = pid.toLongLong();
    return value > 0 && value == pid_t(value) ? pid_t(value) : 0;
}

bool WriterIsGone(pid_t pid)
{
    // EPERM means the process exists but belongs to someone else: keep it.
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

void RemoveStaleTemporaries(int dirFd, const QByteArray& baseName)
{
    const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    std::vector<QByteArray> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const pid_t pid = WriterOfTemporary(entry->d_name, baseName);
        if (pid > 0 && WriterIsGone(pid))
            stale.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const QByteArray& name : stale)
        ::unlinkat(dirFd, name.constData(), 0);
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return ::fsync(fd) == 0;
}

// The folder and the name of the file a write replaces; a symbolic link is
// followed, so the link stays and its target gets the new contents.
struct Target {
    QByteArray folder;
    QByteArray baseName;
};

std::optional<Target> TargetOf(const QString& fileName)
{
    QFileInfo info(fileName);
    if (info.isSymLink())
        info.setFile(info.canonicalFilePath());
    if (info.fileName().isEmpty())
        return std::nullopt;
    return Target{QFile::encodeName(info.absolutePath()), QFile::encodeName(info.fileName())};
}

enum class Outcome { Done, Failed, Unsupported };

// The contents go into an unnamed file in the file's own folder, which gets a
// name only once it is complete and synced, and is then renamed over the
// file. A writer killed before the link leaves nothing behind; one killed
// between the link and the rename leaves a temporary that the next write or
// the next start removes.
Outcome ReplaceThroughUnnamedFile(int dirFd, const QByteArray& baseName, const QByteArray& bytes,
                                  const struct stat* existing)
{
    const int fd = ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) ? Outcome::Unsupported
                                                                            : Outcome::Failed;
    if ((existing && ::fchmod(fd, existing->st_mode & 07777) != 0) || !WriteAll(fd, bytes)) {
        ::close(fd);
        return Outcome::Failed;
    }
    const QByteArray procPath = "/proc/self/fd/" + QByteArray::number(fd);
    QByteArray temporary;
    bool linked = false;
    int linkError = EEXIST;
    for (int attempt = 0; !linked && linkError == EEXIST && attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryName(baseName);
        linked = ::linkat(AT_FDCWD, procPath.constData(), dirFd, temporary.constData(), AT_SYMLINK_FOLLOW) == 0;
        linkError = errno;
    }
    ::close(fd);
    if (!linked)
        return linkError == ENOENT ? Outcome::Unsupported : Outcome::Failed; // no /proc
    if (::renameat(dirFd, temporary.constData(), dirFd, baseName.constData()) != 0) {
        ::unlinkat(dirFd, temporary.constData(), 0);
        return Outcome::Failed;
    }
    return Outcome::Done;
}

// Where unnamed files are not supported: a named temporary, then rename.
bool ReplaceThroughNamedFile(int dirFd, const QByteArray& baseName, const QByteArray& bytes,
                             const struct stat* existing)
{
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < kNameAttempts; ++attempt) {
        temporary = TemporaryName(baseName);
        fd = ::openat(dirFd, temporary.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return false;
    const bool written = (!existing || ::fchmod(fd, existing->st_mode & 07777) == 0) && WriteAll(fd, bytes);
    ::close(fd);
    if (!written || ::renameat(dirFd, temporary.constData(), dirFd, baseName.constData()) != 0) {
        ::unlinkat(dirFd, temporary.constData(), 0);
        return false;
    }
    return true;
}

bool ReplaceFile(const QString& fileName, const QByteArray& bytes)
{
    const std::optional<Target> target = TargetOf(fileName);
    if (!target)
        return false;
    const int dirFd = ::open(target->folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return false;

    bool done = false;
    struct stat existing {};
    const bool exists = ::fstatat(dirFd, target->baseName.constData(), &existing, 0) == 0;
    // A file the user made read-only stays as it is; a replaced file keeps
    // its permission bits.
    if (!exists || (S_ISREG(existing.st_mode) && ::faccessat(dirFd, target->baseName.constData(), W_OK, 0) == 0)) {
        const struct stat* keepBits = exists ? &existing : nullptr;
        RemoveStaleTemporaries(dirFd, target->baseName);
        const Outcome outcome = ReplaceThroughUnnamedFile(dirFd, target->baseName, bytes, keepBits);
        done = outcome == Outcome::Done
            || (outcome == Outcome::Unsupported
                && ReplaceThroughNamedFile(dirFd, target->baseName, bytes, keepBits));
        // The rename itself lasts only once the folder is synced.
        if (done)
            ::fsync(dirFd);
    }
    ::close(dirFd);
    return done;
}

} // namespace

QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName)
{
    const QString fallback = CappedValue(defaultValue);
    const std::optional<QByteArray> content = ReadWholeFile(fileName);
    if (!content)
        return fallback;
    const std::vector<Line> lines = SplitLines(*content);
    const Found found = Find(*content, lines, section.trimmed(), key.trimmed());
    if (!found.keyLine)
        return fallback;

    const Line& line = lines[*found.keyLine];
    QByteArray value = TrimBlanks(TextOf(*content, line).sliced(found.equals + 1));
    // A NUL ends the value, as it ends any string handed over by the platform.
    const qsizetype nul = value.indexOf('\0');
    if (nul >= 0)
        value = TrimBlanks(QByteArrayView(value).first(nul));
    // Read byte for byte: a folder path that is not valid UTF-8 must come
    // back as the same bytes it was written with.
    return CappedValue(NameFromBytes(value));
}

namespace {

thread_local int lastWriteError = 0;

// The file's content with one key set; nothing when the names or the value
// would break the line structure (they are refused rather than written into
// a file they would corrupt).
std::optional<QByteArray> WithProfileString(const QByteArray& content, const QString& section, const QString& key,
                                            const QString& value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty() || keyName.startsWith(u'[')
        || HasAny(sectionName, {u']', u'\n', u'\r', u'\0'})
        || HasAny(keyName, {u'=', u'\n', u'\r', u'\0'}) || HasAny(value, {u'\n', u'\r', u'\0'}))
        return std::nullopt;

    const QByteArray lineBreak = LineBreakOf(content);
    const QByteArray valueBytes = NameToBytes(value);
    const QByteArray keyLine = NameToBytes(keyName) + '=' + valueBytes;
    const std::vector<Line> lines = SplitLines(content);
    const Found found = Find(content, lines, sectionName, keyName);

    QByteArray result;
    if (!found.header) {
        result = content;
        if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
            result += lineBreak;
        result += '[' + NameToBytes(sectionName) + ']' + lineBreak + keyLine + lineBreak;
    } else if (found.keyLine) {
        // Everything up to and including "=" stays as it was written.
        const Line& line = lines[*found.keyLine];
        result = content.first(line.begin + found.equals + 1) + valueBytes + content.sliced(line.end);
    } else {
        const Line& after = lines[found.lastFilled];
        result = content.first(after.next);
        if (after.next == after.end)
            result += lineBreak;
        result += keyLine + lineBreak + content.sliced(after.next);
    }
    return result;
}

// Sets the keys one after the other in one read and one replacement of the
// file. A key refused for its names or value is passed over, and the
// answer is then false; nothing is written when the file cannot be read.
bool WriteProfileStrings(const QString& section, const std::vector<std::pair<QString, QString>>& keys,
                         const QString& fileName)
{
    if (WriteFailurePredicate() && WriteFailurePredicate()(fileName)) {
        errno = EIO;
        return false;
    }

    QByteArray content;
    const QFileInfo info(fileName);
    if (info.exists() || info.isSymLink()) {
        if (!info.isFile()) {
            errno = EISDIR;
            return false;
        }
        // A file that cannot be read must not be replaced by one holding only
        // the new keys.
        std::optional<QByteArray> old = ReadWholeFile(fileName);
        if (!old)
            return false;
        content = std::move(*old);
    }

    bool allTaken = true;
    bool anyTaken = false;
    for (const auto& [key, value] : keys) {
        if (std::optional<QByteArray> changed = WithProfileString(content, section, key, value)) {
            content = std::move(*changed);
            anyTaken = true;
        } else {
            allTaken = false;
        }
    }
    if (!anyTaken)
        return false;
    return ReplaceFile(fileName, content) && allTaken;
}

} // namespace

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName)
{
    // The failing system call leaves its errno behind; a write refused by our
    // own checks leaves none and counts as an invalid argument.
    return WritePrivateProfileStrings(section, {{key, value}}, fileName);
}

bool WritePrivateProfileStrings(const QString& section, const std::vector<std::pair<QString, QString>>& keys,
                                const QString& fileName)
{
    errno = 0;
    const bool written = WriteProfileStrings(section, keys, fileName);
    lastWriteError = written ? 0 : (errno != 0 ? errno : EINVAL);
    return written;
}

int LastProfileWriteError()
{
    return lastWriteError;
}

void RemoveStaleProfileTemporaries(const QString& fileName)
{
    const std::optional<Target> target = TargetOf(fileName);
    if (!target)
        return;
    const int dirFd = ::open(target->folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    RemoveStaleTemporaries(dirFd, target->baseName);
    ::close(dirFd);
}

void SetWriteFailureForTests(std::function<bool(const QString& fileName)> predicate)
{
    WriteFailurePredicate() = std::move(predicate);
}

} // namespace platform
