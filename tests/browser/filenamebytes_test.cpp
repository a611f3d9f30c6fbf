// Names that are not valid UTF-8: the lossless mapping between a name's
// bytes and the QString the program carries, and the readable text shown
// for such a name.
#include "platform/system/FileNameBytes.h"
#include "platform/storage/Profile.h"

#include "TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using platform::DisplayName;
using platform::HoldsRawBytes;
using platform::NameFromBytes;
using platform::NameToBytes;

// "テスト.avi" and "映画" as Shift-JIS writes them.
const QByteArray kShiftJisName("\x83\x65\x83\x58\x83\x67.avi");
const QByteArray kShiftJisFolder("\x89\x66\x89\xE6");
// "café.mpg" as Latin-1 writes it.
const QByteArray kLatin1Name("caf\xE9.mpg");

TEST(FileNameBytes, EveryByteSequenceComesBackExactly)
{
    QByteArray everyHighByte;
    for (int b = 0x80; b <= 0xFF; ++b)
        everyHighByte += static_cast<char>(b);
    const QByteArray invalid[] = {
        kShiftJisName, kShiftJisFolder, kLatin1Name, everyHighByte,
        QByteArray("\xE3\x81"),             // a sequence cut short
        QByteArray("a\xC0\x80z"),           // an overlong NUL
        QByteArray("\xED\xB2\x80"),         // an encoded surrogate, U+DC80 itself
        QByteArray("\xF4\x90\x80\x80"),     // beyond U+10FFFF
        QByteArray("\xE6\x98\xA0\xE9"),     // valid UTF-8 followed by a stray byte
        QByteArray("\xEF\xBB\xBF\xFF"),     // a byte-order mark, then a stray byte
    };
    for (const QByteArray& bytes : invalid) {
        const QString name = NameFromBytes(bytes);
        EXPECT_TRUE(HoldsRawBytes(name)) << bytes.toHex().constData();
        EXPECT_EQ(NameToBytes(name), bytes) << bytes.toHex().constData();
    }
    // Valid UTF-8 reads as Qt reads it and writes back as Qt writes it; a
    // leading byte-order mark, which Qt would drop, stays part of the name.
    const QByteArray valid[] = {QByteArray("plain.avi"), QByteArray("\xE6\x98\xA0\xE7\x94\xBB.avi"),
                                QByteArray("\xF0\x9F\x8E\xAC clip")};
    for (const QByteArray& bytes : valid) {
        EXPECT_EQ(NameFromBytes(bytes), QString::fromUtf8(bytes));
        EXPECT_FALSE(HoldsRawBytes(NameFromBytes(bytes)));
        EXPECT_EQ(NameToBytes(QString::fromUtf8(bytes)), bytes);
    }
    EXPECT_EQ(NameToBytes(NameFromBytes("\xEF\xBB\xBF" "a")), QByteArray("\xEF\xBB\xBF" "a"));
    // A lone surrogate outside the raw-byte range is no byte of ours.
    const QString stray = QString(QChar(0xD800)) + u'x';
    EXPECT_FALSE(HoldsRawBytes(stray));
    EXPECT_EQ(NameToBytes(stray), stray.toUtf8());
}

TEST(FileNameBytes, DisplayTextReadsShiftJisElseWindowsLatin1PartByPart)
{
    EXPECT_EQ(DisplayName(NameFromBytes(kShiftJisName)), QStringLiteral("テスト.avi"));
    EXPECT_EQ(DisplayName(NameFromBytes(kLatin1Name)), QStringLiteral("café.mpg"));
    EXPECT_EQ(DisplayName(NameFromBytes("\x80 \x81")), QStringLiteral("€ \uFFFD"));
    // Each part of a path is read on its own, and valid parts stay as they are.
    const QByteArray path = "/home/\xE6\x98\xA0/" + kShiftJisFolder + '/' + kLatin1Name;
    EXPECT_EQ(DisplayName(NameFromBytes(path)), QStringLiteral("/home/映/映画/café.mpg"));
    EXPECT_FALSE(HoldsRawBytes(DisplayName(NameFromBytes(path))));
    const QString valid = QStringLiteral("/movies/a.avi");
    EXPECT_EQ(DisplayName(valid), valid);
}

TEST(FileNameBytes, SettingsFileKeepsAValuesBytesBothWays)
{
    TempFolder dir;
    const QString file = dir.MakeFileWithContent("a.ini", "[Section]\nPath=/old\nSize=1\n");
    const QByteArray folder = "/media/" + kShiftJisFolder + '/' + kLatin1Name;
    ASSERT_TRUE(platform::WritePrivateProfileString("Section", "Path", NameFromBytes(folder), file));
    ASSERT_TRUE(platform::WritePrivateProfileString("Section", "Other", NameFromBytes(kLatin1Name), file));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), "[Section]\nPath=" + folder + "\nSize=1\nOther=" + kLatin1Name + '\n');
    EXPECT_EQ(NameToBytes(platform::GetPrivateProfileString("Section", "Path", "", file)), folder);
}

} // namespace
