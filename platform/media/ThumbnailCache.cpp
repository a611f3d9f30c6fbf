#include "platform/media/ThumbnailCache.h"

#include "platform/system/FileNameBytes.h"
#include "platform/system/FileUri.h"
#include "platform/media/RamFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>

#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr const char* kSoftware = "Vidrolle 2nd";

// The CRC-32 every PNG chunk ends with (ISO 3309, as zlib's crc32).
uint32_t Crc32(QByteArrayView bytes)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void AppendBigEndian(QByteArray& out, uint32_t value)
{
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

QByteArray Chunk(QByteArrayView type, QByteArrayView data)
{
    QByteArray chunk;
    AppendBigEndian(chunk, static_cast<uint32_t>(data.size()));
    QByteArray body = type.toByteArray() + data.toByteArray();
    chunk += body;
    AppendBigEndian(chunk, Crc32(body));
    return chunk;
}

// Makes the folder `sub` of the cache, and every folder above it that is
// missing (a cache home made for the first time among them), each readable
// by the user alone.
bool MakeFolders(const QString& root, const QString& sub)
{
    const QStringList parts = (root + u'/' + sub).split(u'/', Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += u'/' + part;
        const QByteArray bytes = NameToBytes(path);
        if (::mkdir(bytes.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

QString ThumbnailFolder(const QString& cacheHome, const QString& home)
{
    if (cacheHome.startsWith(u'/'))
        return cacheHome + QStringLiteral("/thumbnails");
    return home + QStringLiteral("/.cache/thumbnails");
}

QByteArray ThumbnailFileName(QByteArrayView uri)
{
    return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
}

QByteArray ThumbnailNumberText(long long value)
{
    return QByteArray::number(value);
}

std::optional<long long> ThumbnailNumber(QByteArrayView text)
{
    const bool negative = text.startsWith('-');
    const QByteArrayView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > 18 || (digits.size() > 1 && digits[0] == '0'))
        return std::nullopt;
    long long value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative && value == 0)
        return std::nullopt;
    return negative ? -value : value;
}

bool DescribesFile(const ThumbnailFields& fields, QByteArrayView uri, long long mtime, long long size)
{
    if (fields.uri != uri || fields.mtime != mtime)
        return false;
    return !fields.size || *fields.size == size;
}

QByteArray PngWithTexts(const QImage& image, const std::vector<std::pair<QByteArray, QByteArray>>& texts)
{
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return {};
    // The signature (8 bytes) and the header chunk (25) come first; the
    // texts go right after them, before any pixels, where readers of the
    // header alone find them.
    constexpr qsizetype kAfterHeader = 8 + 25;
    if (png.size() < kAfterHeader || png.mid(12, 4) != "IHDR")
        return {};
    QByteArray chunks;
    for (const auto& [key, value] : texts)
        chunks += Chunk("tEXt", key + '\0' + value);
    png.insert(kAfterHeader, chunks);
    return png;
}

std::optional<std::map<QByteArray, QByteArray>> PngTexts(QByteArrayView png)
{
    static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
    if (png.size() < 8 || png.first(8) != QByteArrayView(kSignature, 8))
        return std::nullopt;
    // A text's value longer than this is no field of a picture's.
    constexpr qsizetype kLongestValue = 64 * 1024;
    const auto inflate = [](QByteArrayView compressed) -> std::optional<QByteArray> {
        // qUncompress wants the size first; a guess serves, it grows.
        QByteArray framed("\0\0\x10\0", 4);
        framed += compressed.toByteArray();
        QByteArray out = qUncompress(framed);
        if (out.isEmpty() || out.size() > kLongestValue)
            return std::nullopt;
        return out;
    };

    std::map<QByteArray, QByteArray> texts;
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        const auto byte = [&](qsizetype i) { return static_cast<uint32_t>(static_cast<unsigned char>(png[i])); };
        const uint32_t length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        const QByteArrayView type = png.sliced(at + 4, 4);
        if (type == "IDAT" || type == "IEND" || length > static_cast<uint32_t>(png.size() - at - 12))
            break;
        const QByteArrayView data = png.sliced(at + 8, length);
        at += 12 + static_cast<qsizetype>(length);
        const qsizetype nul = data.indexOf('\0');
        if (nul < 1)
            continue;
        const QByteArray key = data.first(nul).toByteArray();
        const QByteArrayView rest = data.sliced(nul + 1);
        if (type == "tEXt") {
            texts[key] = rest.toByteArray();
        } else if (type == "zTXt") {
            // The compression method (0, deflate), then the text.
            if (!rest.isEmpty() && rest[0] == '\0')
                if (const std::optional<QByteArray> value = inflate(rest.sliced(1)))
                    texts[key] = *value;
        } else if (type == "iTXt") {
            // Compressed or not, the method, a language tag and the key in
            // the language, then the text.
            if (rest.size() < 2)
                continue;
            const bool compressed = rest[0] != '\0';
            qsizetype textAt = rest.indexOf('\0', 2);
            textAt = textAt < 0 ? -1 : rest.indexOf('\0', textAt + 1);
            if (textAt < 0)
                continue;
            const QByteArrayView text = rest.sliced(textAt + 1);
            if (!compressed)
                texts[key] = text.toByteArray();
            else if (const std::optional<QByteArray> value = inflate(text))
                texts[key] = *value;
        }
    }
    return texts;
}

std::optional<ThumbnailFields> ReadThumbnailFields(const QString& picture)
{
    // The fields stand before the pixels; the start of the file is enough.
    constexpr qint64 kHeadBytes = 64 * 1024;
    QFile file(picture);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<std::map<QByteArray, QByteArray>> texts = PngTexts(file.read(kHeadBytes));
    if (!texts)
        return std::nullopt;
    const auto field = [&](const char* key) -> std::optional<QByteArray> {
        const auto found = texts->find(key);
        return found == texts->end() ? std::nullopt : std::optional<QByteArray>(found->second);
    };
    ThumbnailFields fields;
    fields.uri = field("Thumb::URI").value_or(QByteArray());
    if (const auto mtime = field("Thumb::MTime"))
        fields.mtime = ThumbnailNumber(*mtime);
    // A length the picture tells but that does not read fits no file.
    if (const auto size = field("Thumb::Size"))
        fields.size = ThumbnailNumber(*size).value_or(-1);
    return fields;
}

ThumbnailCache::ThumbnailCache(QString folder, ThumbnailMaker maker)
    : folder_(std::move(folder)), maker_(std::move(maker))
{
}

ThumbnailCache::Result ThumbnailCache::Look(const QString& path) const
{
    // A metafile only names its clip; there is nothing of its own to show.
    if (IsRamFileName(path))
        return {};
    const QString absolute = AbsolutePath(path);
    const QByteArray bytes = NameToBytes(absolute);
    struct stat info {};
    if (::stat(bytes.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {};
    const long long mtime = info.st_mtim.tv_sec;
    const long long size = info.st_size;
    const QByteArray uri = FileUriOfPathBytes(bytes);
    const QString name = QString::fromLatin1(ThumbnailFileName(uri));

    for (const char* sub : {"large", "normal"}) {
        const QString place = folder_ + u'/' + QLatin1String(sub) + u'/' + name;
        if (const std::optional<ThumbnailFields> fields = ReadThumbnailFields(place))
            if (DescribesFile(*fields, uri, mtime, size))
                return {Outcome::Found, place};
    }
    const QString failed = folder_ + u'/' + QLatin1String(kThumbnailFailFolder) + u'/' + name;
    if (const std::optional<ThumbnailFields> fields = ReadThumbnailFields(failed))
        if (DescribesFile(*fields, uri, mtime, size))
            return {Outcome::FailedBefore, {}};
    if (!maker_)
        return {};

    const std::vector<std::pair<QByteArray, QByteArray>> texts{
        {"Thumb::URI", uri},
        {"Thumb::MTime", ThumbnailNumberText(mtime)},
        {"Thumb::Size", ThumbnailNumberText(size)},
        {"Software", kSoftware},
    };
    if (const std::optional<QImage> image = maker_(bytes, kLargeThumbnailSize)) {
        const QString place = folder_ + QStringLiteral("/large/") + name;
        if (MakeFolders(folder_, QStringLiteral("large")) && Keep(place, PngWithTexts(*image, texts)))
            return {Outcome::Made, place};
        return {};
    }
    // An empty picture, as the standard has it, tells the failure.
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    if (MakeFolders(folder_, QString::fromLatin1(kThumbnailFailFolder)))
        Keep(failed, PngWithTexts(empty, texts));
    return {Outcome::Failed, {}};
}

bool ThumbnailCache::Keep(const QString& place, const QByteArray& png) const
{
    if (png.isEmpty())
        return false;
    // Written whole under a name of its own beside its place, then renamed
    // there: a file manager reading the cache never sees half a picture.
    QByteArray temporary = NameToBytes(place) + ".vidrolle-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    for (qsizetype written = 0; ok && written < png.size();) {
        const ssize_t n = ::write(fd, png.constData() + written, static_cast<size_t>(png.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        written += n > 0 ? n : 0;
    }
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), NameToBytes(place).constData()) == 0;
    if (!ok)
        ::unlink(temporary.constData());
    return ok;
}

} // namespace platform
