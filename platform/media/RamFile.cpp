#include "platform/media/RamFile.h"

#include "platform/system/FileNameBytes.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kFilePrefix = QStringLiteral("file://");

// Network schemes that a metafile may name; mpv opens them itself. Other
// schemes (mpv's own "av://", "edl://" and such) are refused, so that a
// metafile can only ask for something to be streamed.
bool IsNetworkScheme(const QString& scheme)
{
    static const QSet<QString> schemes = {
        QStringLiteral("rtsp"), QStringLiteral("rtsps"), QStringLiteral("rtmp"),
        QStringLiteral("rtmps"), QStringLiteral("http"), QStringLiteral("https"),
        QStringLiteral("mms"), QStringLiteral("mmsh"), QStringLiteral("mmst"),
        QStringLiteral("pnm"),
    };
    return schemes.contains(scheme.toLower());
}

// The scheme of a "scheme://..." text, or nullopt for anything else.
std::optional<QString> SchemeOf(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*)://"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

SourceResult Failure(const QString& error) { return SourceResult{std::nullopt, error}; }

// Paths go to the system byte for byte, so that a metafile or a clip whose
// name is not valid UTF-8 is found; QFileInfo would lose those bytes.
QString CanonicalPath(const QString& path)
{
    char resolved[PATH_MAX];
    if (!::realpath(NameToBytes(path).constData(), resolved))
        return path;
    return NameFromBytes(resolved);
}

QString FolderOf(const QString& absolutePath)
{
    const qsizetype slash = absolutePath.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : absolutePath.left(slash);
}

bool OpenForReading(const QString& path, QFile& file)
{
    int fd = -1;
    do {
        fd = ::open(NameToBytes(path).constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

// Resolves one location: `text` is a source or a metafile entry, `baseFolder`
// the folder relative paths start from (empty: the working folder).
SourceResult Resolve(const QString& text, const QString& baseFolder, QSet<QString>& visited)
{
    QString path;
    if (text.startsWith(kFilePrefix)) {
        path = text.mid(kFilePrefix.size());
    } else if (const auto scheme = SchemeOf(text)) {
        if (!IsNetworkScheme(*scheme))
            return Failure(QStringLiteral("unsupported address: %1").arg(text));
        return SourceResult{PlayTarget{PlayTarget::Kind::NetworkUrl, text}, {}};
    } else {
        path = text;
    }
    if (path.isEmpty())
        return Failure(QStringLiteral("empty path"));
    if (QDir::isRelativePath(path) && !baseFolder.isEmpty())
        path = baseFolder + u'/' + path;
    if (!IsRegularFile(path))
        return Failure(QStringLiteral("no such file: %1").arg(DisplayName(path)));
    const QString absolute = AbsolutePath(path);
    if (!IsRamFileName(absolute))
        return SourceResult{PlayTarget{PlayTarget::Kind::LocalFile, absolute}, {}};

    const QString canonical = CanonicalPath(absolute);
    if (visited.contains(canonical))
        return Failure(QStringLiteral("metafile names itself: %1").arg(DisplayName(absolute)));
    if (visited.size() >= kRamDepthLimit)
        return Failure(QStringLiteral("metafiles nested too deeply: %1").arg(DisplayName(absolute)));
    visited.insert(canonical);

    QFile file;
    if (!OpenForReading(absolute, file))
        return Failure(QStringLiteral("cannot read metafile: %1").arg(DisplayName(absolute)));
    const std::optional<QString> entry = FirstRamEntry(file.read(kRamReadLimit));
    if (!entry)
        return Failure(QStringLiteral("metafile names nothing to play: %1").arg(DisplayName(absolute)));
    return Resolve(*entry, FolderOf(absolute), visited);
}

} // namespace

bool IsRamFileName(const QString& path)
{
    return path.endsWith(QStringLiteral(".ram"), Qt::CaseInsensitive);
}

std::optional<QString> FirstRamEntry(const QByteArray& content)
{
    if (content.contains('\0'))
        return std::nullopt;
    QByteArray text = content;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    for (const QByteArray& rawLine : text.split('\n')) {
        const QString line = NameFromBytes(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        return line;
    }
    return std::nullopt;
}

SourceResult ResolveSource(const QString& source)
{
    QSet<QString> visited;
    return Resolve(source, QString(), visited);
}

} // namespace platform

