// The settings-file reader and writer on any file content.
//
// The input is the file's bytes, optionally followed by a line ">>>" and
// write requests "section|key|value", one a line. Every section and key name
// seen in the file is read; each one that reads back a value is written back
// with that value, after which it and every other key must read as before.
// Each request is then written: a refused write must leave the file's bytes
// unchanged, an accepted one must read back its (trimmed, capped) value and
// leave every other key as it was.
#include "FuzzSupport.h"
#include "platform/system/FileNameBytes.h"
#include "platform/storage/Profile.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <vector>

namespace {

QString g_fileName;
// Never a value: a read value holds no line break.
const QString kMissing = QStringLiteral("\n(missing)");

struct Entry {
    QString section;
    QString key;
    QString value;
};

QByteArray FileBytes()
{
    QFile file(g_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("(unreadable)");
    return file.readAll();
}

void SetFileBytes(const QByteArray& bytes)
{
    QFile file(g_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

QString Read(const QString& section, const QString& key)
{
    return platform::GetPrivateProfileString(section, key, kMissing, g_fileName);
}

bool SameEntry(const Entry& a, const QString& section, const QString& key)
{
    return a.section.trimmed().compare(section.trimmed(), Qt::CaseInsensitive) == 0
           && a.key.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0;
}

void CheckAllRead(const std::vector<Entry>& entries, const QString& after)
{
    for (const Entry& e : entries) {
        const QString now = Read(e.section, e.key);
        FUZZ_CHECK(now == e.value, QStringLiteral("[%1] %2 read \"%3\", now \"%4\" after %5")
                                       .arg(e.section, e.key, e.value, now, after));
    }
}

// The names the file itself uses, taken as loosely as the reader takes them:
// the text between "[" and "]" of a header, the text before "=" of any line.
std::vector<std::pair<QString, QString>> NamesIn(const QByteArray& content)
{
    std::vector<std::pair<QString, QString>> names;
    QString section;
    QByteArray text = content;
    text.replace('\r', '\n');
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            section = QString::fromUtf8(line.mid(1, close < 0 ? -1 : close - 1));
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals >= 0 && names.size() < 24)
            names.emplace_back(section, QString::fromUtf8(line.first(equals)));
    }
    return names;
}

// What a successful write of `value` reads back as: blanks and tabs around
// it removed, at most 255 characters, no half surrogate pair at the end.
QString ExpectedValue(const QString& value)
{
    QByteArray bytes = value.toUtf8();
    while (!bytes.isEmpty() && (bytes.front() == ' ' || bytes.front() == '\t'))
        bytes.remove(0, 1);
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\t'))
        bytes.chop(1);
    // Decoded as the reader decodes: byte for byte, a byte-order mark kept.
    QString text = platform::NameFromBytes(bytes);
    if (text.size() > 255)
        text.truncate(text[254].isHighSurrogate() ? 254 : 255);
    return text;
}

bool Refusable(const QString& section, const QString& key, const QString& value)
{
    const QString s = section.trimmed();
    const QString k = key.trimmed();
    const auto breaks = [](const QString& t) {
        return t.contains(u'\n') || t.contains(u'\r') || t.contains(QChar(u'\0'));
    };
    return s.isEmpty() || k.isEmpty() || k.startsWith(u'[') || s.contains(u']') || k.contains(u'=')
           || breaks(s) || breaks(k) || breaks(value);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static fuzz::ScratchFolder dir("settings");
    g_fileName = dir.Path() + QStringLiteral("/Vidrolle_2nd.ini");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = input.indexOf("\n>>>\n");
    const QByteArray content = split < 0 ? input : input.first(split);
    const QByteArray requests = split < 0 ? QByteArray() : input.sliced(split + 5);
    SetFileBytes(content);

    std::vector<Entry> entries;
    for (const auto& [section, key] : NamesIn(content)) {
        for (const QString& k : {key, key.toUpper()}) {
            const QString value = Read(section, k);
            if (value != kMissing)
                entries.push_back({section, k, value});
        }
    }

    for (const Entry& e : std::vector<Entry>(entries)) {
        const QByteArray before = FileBytes();
        const bool written = platform::WritePrivateProfileString(e.section, e.key, e.value, g_fileName);
        if (!written) {
            FUZZ_CHECK(Refusable(e.section, e.key, e.value),
                       QStringLiteral("write of [%1] %2 refused").arg(e.section, e.key));
            FUZZ_CHECK(FileBytes() == before, QStringLiteral("refused write of [%1] %2 changed the file")
                                                  .arg(e.section, e.key));
        }
        CheckAllRead(entries, QStringLiteral("writing back [%1] %2").arg(e.section, e.key));
    }

    int count = 0;
    for (const QByteArray& line : requests.split('\n')) {
        const QList<QByteArray> fields = line.split('|');
        if (fields.size() != 3 || ++count > 8)
            continue;
        const QString section = QString::fromUtf8(fields[0]);
        const QString key = QString::fromUtf8(fields[1]);
        const QString value = QString::fromUtf8(fields[2]);
        const QByteArray before = FileBytes();
        const bool written = platform::WritePrivateProfileString(section, key, value, g_fileName);
        const QString what = QStringLiteral("writing [%1] %2=%3").arg(section, key, value);
        if (!written) {
            FUZZ_CHECK(Refusable(section, key, value), what + QStringLiteral(" was refused"));
            FUZZ_CHECK(FileBytes() == before, what + QStringLiteral(" was refused but changed the file"));
            continue;
        }
        FUZZ_CHECK(!Refusable(section, key, value), what + QStringLiteral(" was accepted"));
        std::erase_if(entries, [&](const Entry& e) { return SameEntry(e, section, key); });
        entries.push_back({section, key, ExpectedValue(value)});
        CheckAllRead(entries, what);
    }
    return 0;
}
