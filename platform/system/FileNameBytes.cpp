#include "platform/system/FileNameBytes.h"

#include <QDir>
#include <QStringEncoder>
#include <QStringList>

#include <cstdlib>
#include <iconv.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr char16_t kRawByteBase = 0xDC00;

bool IsRawByte(QStringView text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    if (c < 0xDC80 || c > 0xDCFF)
        return false;
    // A low surrogate right after a high one is half of a real character.
    return at == 0 || !text[at - 1].isHighSurrogate();
}

// The length of the well-formed UTF-8 sequence that starts at `at`; 0 when
// none starts there (a stray byte, a cut or overlong sequence, an encoded
// surrogate or a code point beyond U+10FFFF).
int SequenceLength(QByteArrayView bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0xC2) {
        return 0;
    } else if (lead < 0xE0) {
        length = 2;
    } else if (lead < 0xF0) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead < 0xF5) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (bytes.size() - at < length || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF)
            return 0;
    return length;
}

// QString::fromUtf8 drops a byte-order mark at the start of what it reads;
// in a name those bytes are part of the name.
QString DecodeValid(QByteArrayView bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        text.prepend(QChar(0xFEFF));
    return text;
}

// The bytes read as code page 932, or a null text when they are not valid
// there. glibc's converter refuses unassigned codes too, which keeps most
// Latin-1 names (an accented letter before an ASCII one) from reading as
// Japanese.
QString FromCodePage932(const QByteArray& bytes)
{
    const iconv_t converter = ::iconv_open("UTF-8", "CP932");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray out(bytes.size() * 3 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* to = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t result = ::iconv(converter, &in, &inLeft, &to, &outLeft);
    ::iconv_close(converter);
    if (result == static_cast<size_t>(-1) || inLeft != 0)
        return {};
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return QString::fromUtf8(out);
}

// Code page 1252's characters for 0x80..0x9F; the five unassigned bytes show
// as the replacement character. Above 0x9F it agrees with Latin-1.
constexpr char16_t kCodePage1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

// One part of a path (no "/") that holds raw bytes, made readable.
QString DisplayPart(const QString& part)
{
    const QString japanese = FromCodePage932(NameToBytes(part));
    if (!japanese.isNull())
        return japanese;
    // The valid UTF-8 around the raw bytes stays as it reads.
    QString text = part;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!IsRawByte(text, i))
            continue;
        const char16_t byte = text[i].unicode() - kRawByteBase;
        text[i] = QChar(byte < 0xA0 ? kCodePage1252High[byte - 0x80] : byte);
    }
    return text;
}

} // namespace

QString NameFromBytes(QByteArrayView bytes)
{
    // Most names are plain ASCII, which reads the same in every encoding.
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    unsigned char any = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        any |= data[i];
    if (any < 0x80)
        return QString::fromLatin1(bytes);
    qsizetype at = 0;
    qsizetype runStart = 0;
    QString text;
    bool clean = true;
    while (at < bytes.size()) {
        const int length = SequenceLength(bytes, at);
        if (length > 0) {
            at += length;
            continue;
        }
        if (clean) {
            text.reserve(bytes.size());
            clean = false;
        }
        text += DecodeValid(bytes.sliced(runStart, at - runStart));
        text += QChar(static_cast<char16_t>(kRawByteBase + static_cast<unsigned char>(bytes[at])));
        runStart = ++at;
    }
    if (clean)
        return DecodeValid(bytes);
    text += DecodeValid(bytes.sliced(runStart));
    return text;
}

QByteArray NameToBytes(QStringView name)
{
    QByteArray bytes;
    qsizetype runStart = 0;
    bool clean = true;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!IsRawByte(name, i))
            continue;
        if (clean) {
            bytes.reserve(name.size() * 3);
            clean = false;
        }
        bytes += name.sliced(runStart, i - runStart).toUtf8();
        bytes += static_cast<char>(name[i].unicode() - kRawByteBase);
        runStart = i + 1;
    }
    if (clean)
        return name.toUtf8();
    bytes += name.sliced(runStart).toUtf8();
    return bytes;
}

std::string_view NameToBytes(QStringView name, std::string& buffer)
{
    if (HoldsRawBytes(name)) {
        const QByteArray bytes = NameToBytes(name);
        buffer.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
        return buffer;
    }
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    buffer.resize(static_cast<size_t>(encoder.requiredSpace(name.size())));
    const char* end = encoder.appendToBuffer(buffer.data(), name);
    buffer.resize(static_cast<size_t>(end - buffer.data()));
    return buffer;
}

bool HoldsRawBytes(QStringView name)
{
    // Every name of a listing passes here several times; most hold no unit
    // in the raw-byte range at all, which one tight loop tells.
    const char16_t* units = reinterpret_cast<const char16_t*>(name.data());
    const qsizetype size = name.size();
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<char16_t>(units[i] - 0xDC80) < 0x80 && IsRawByte(name, i))
            return true;
    return false;
}

QString DisplayName(const QString& name)
{
    if (!HoldsRawBytes(name))
        return name;
    QStringList parts = name.split(u'/');
    for (QString& part : parts)
        if (HoldsRawBytes(part))
            part = DisplayPart(part);
    return parts.join(u'/');
}

bool IsRegularFile(const QString& path)
{
    struct stat status {};
    return !path.isEmpty() && ::stat(NameToBytes(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

QString AbsolutePath(const QString& path)
{
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(CurrentFolder() + u'/' + path);
}

QString CurrentFolder()
{
    // getcwd with no buffer allocates one of the needed size.
    const std::unique_ptr<char, decltype(&::free)> folder(::getcwd(nullptr, 0), &::free);
    if (!folder)
        return QDir::currentPath();
    return NameFromBytes(folder.get());
}

} // namespace platform
