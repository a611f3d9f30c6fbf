#include "platform/system/FileUri.h"

#include "platform/system/FileNameBytes.h"

namespace platform {

namespace {

// The bytes a path keeps as they are; every other byte is written %XX.
constexpr bool KeptInPath(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',':
    case '-': case '.': case '/': case ':': case '=': case '@': case '_': case '~':
        return true;
    default:
        return false;
    }
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool StartsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

} // namespace

QByteArray FileUriOfPathBytes(QByteArrayView path)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray uri("file://");
    uri.reserve(uri.size() + path.size() * 3);
    for (const char byte : path) {
        const auto c = static_cast<unsigned char>(byte);
        if (KeptInPath(c)) {
            uri += byte;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xF];
        }
    }
    return uri;
}

QByteArray FileUriOf(const QString& path)
{
    return FileUriOfPathBytes(NameToBytes(path));
}

std::optional<QByteArray> PathBytesOfFileUri(QByteArrayView uri)
{
    if (!StartsWithNoCase(uri, "file:"))
        return std::nullopt;
    QByteArrayView rest = uri.sliced(5);
    // The host: empty or this machine by name. Some programs leave the
    // empty host out altogether ("file:/home/...").
    if (rest.startsWith("//")) {
        rest = rest.sliced(2);
        if (StartsWithNoCase(rest, "localhost/"))
            rest = rest.sliced(9);
    }
    if (!rest.startsWith('/'))
        return std::nullopt;
    // A query or fragment would be no part of a file's name.
    if (rest.contains('?') || rest.contains('#'))
        return std::nullopt;

    QByteArray path;
    path.reserve(rest.size());
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '\0')
            return std::nullopt;
        if (c != '%') {
            path += c;
            continue;
        }
        if (i + 2 >= rest.size())
            return std::nullopt;
        const int high = HexValue(rest[i + 1]);
        const int low = HexValue(rest[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return path;
}

std::optional<QString> PathOfFileUri(QByteArrayView uri)
{
    const std::optional<QByteArray> bytes = PathBytesOfFileUri(uri);
    if (!bytes)
        return std::nullopt;
    return NameFromBytes(*bytes);
}

bool HasUriScheme(QByteArrayView text)
{
    if (text.isEmpty() || !((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')))
        return false;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':')
            return true;
        const bool letterOrDigit = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

QList<QByteArray> UriListEntries(QByteArrayView list)
{
    QList<QByteArray> entries;
    qsizetype start = 0;
    while (start < list.size()) {
        qsizetype end = list.indexOf('\n', start);
        if (end < 0)
            end = list.size();
        QByteArrayView line = list.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith('#'))
            entries.push_back(line.toByteArray());
        start = end + 1;
    }
    return entries;
}

} // namespace platform
