#include "platform/Profile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <optional>
#include <vector>

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

bool SameName(const QByteArray& bytes, const QString& name)
{
    return QString::fromUtf8(bytes).compare(name, Qt::CaseInsensitive) == 0;
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

// A byte-order mark at the start of a value is a character of the value:
// fromUtf8 would drop it, and the blanks behind it, shown then, would be
// trimmed away when the value is written back and read again. Stateless: a
// sequence cut short at the end is a replacement character, as everywhere
// else, not dropped.
QString DecodeValue(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::ConvertInitialBom | QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

bool HasAny(const QString& text, std::initializer_list<char16_t> characters)
{
    for (const char16_t c : characters)
        if (text.contains(QChar(c)))
            return true;
    return false;
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
    return CappedValue(DecodeValue(value));
}

bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName)
{
    if (WriteFailurePredicate() && WriteFailurePredicate()(fileName))
        return false;

    // Names and values that would break the line structure are refused
    // rather than written into a file they would corrupt.
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty() || keyName.startsWith(u'[')
        || HasAny(sectionName, {u']', u'\n', u'\r', u'\0'})
        || HasAny(keyName, {u'=', u'\n', u'\r', u'\0'}) || HasAny(value, {u'\n', u'\r', u'\0'}))
        return false;

    QByteArray content;
    const QFileInfo info(fileName);
    if (info.exists() || info.isSymLink()) {
        if (!info.isFile())
            return false;
        // A file that cannot be read must not be replaced by one holding only
        // the new key.
        std::optional<QByteArray> old = ReadWholeFile(fileName);
        if (!old)
            return false;
        content = std::move(*old);
    }

    const QByteArray lineBreak = LineBreakOf(content);
    const QByteArray keyLine = keyName.toUtf8() + '=' + value.toUtf8();
    const std::vector<Line> lines = SplitLines(content);
    const Found found = Find(content, lines, sectionName, keyName);

    QByteArray result;
    if (!found.header) {
        result = content;
        if (!result.isEmpty() && !result.endsWith('\n') && !result.endsWith('\r'))
            result += lineBreak;
        result += '[' + sectionName.toUtf8() + ']' + lineBreak + keyLine + lineBreak;
    } else if (found.keyLine) {
        // Everything up to and including "=" stays as it was written.
        const Line& line = lines[*found.keyLine];
        result = content.first(line.begin + found.equals + 1) + value.toUtf8() + content.sliced(line.end);
    } else {
        const Line& after = lines[found.lastFilled];
        result = content.first(after.next);
        if (after.next == after.end)
            result += lineBreak;
        result += keyLine + lineBreak + content.sliced(after.next);
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(result) != result.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void SetWriteFailureForTests(std::function<bool(const QString& fileName)> predicate)
{
    WriteFailurePredicate() = std::move(predicate);
}

} // namespace platform
