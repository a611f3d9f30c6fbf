#include "platform/RamFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

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
    if (QFileInfo(path).isRelative() && !baseFolder.isEmpty())
        path = QDir(baseFolder).filePath(path);
    const QFileInfo info(path);
    if (!info.isFile())
        return Failure(QStringLiteral("no such file: %1").arg(path));
    const QString absolute = info.absoluteFilePath();
    if (!IsRamFileName(absolute))
        return SourceResult{PlayTarget{PlayTarget::Kind::LocalFile, absolute}, {}};

    const QString canonical = info.canonicalFilePath();
    if (visited.contains(canonical))
        return Failure(QStringLiteral("metafile names itself: %1").arg(absolute));
    if (visited.size() >= kRamDepthLimit)
        return Failure(QStringLiteral("metafiles nested too deeply: %1").arg(absolute));
    visited.insert(canonical);

    QFile file(absolute);
    if (!file.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("cannot read metafile: %1").arg(absolute));
    const std::optional<QString> entry = FirstRamEntry(file.read(kRamReadLimit));
    if (!entry)
        return Failure(QStringLiteral("metafile names nothing to play: %1").arg(absolute));
    return Resolve(*entry, info.absolutePath(), visited);
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
        const QString line = QString::fromUtf8(rawLine).trimmed();
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

