#include "app/shared/Vidrolle_2nd_b.h"

#include "platform/FileInfo.h"
#include "platform/FileNameBytes.h"
#include "platform/MessageBox.h"
#include "platform/Profile.h"
#include "platform/Runtime.h"

#include <QCoreApplication>

#include <dirent.h>

namespace {

// The longest section or key name the settings writer passes on; longer
// names are cut, as the fixed name buffers of the settings format always did.
constexpr qsizetype kMaxNameLength = 127;
constexpr float kDefaultMagnification = 1.2f;

QString& ProgramFolderOverride()
{
    static QString folder;
    return folder;
}

// Text handed to the settings functions ends at its first NUL.
QString UpToNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

// A setting that holds an integer: empty gives 0; text that does not convert
// leaves the field as it was.
void LoadInteger(int16_t& field, const QString& key, const QString& fileName)
{
    const QString text = ReadIniValue(kSettingsSection, key, fileName);
    if (text.isEmpty())
        field = 0;
    else if (const std::optional<int16_t> value = platform::ToInteger16(text))
        field = *value;
}

} // namespace

QString ProgramFolder()
{
    if (!ProgramFolderOverride().isEmpty())
        return ProgramFolderOverride();
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolderForTests(const QString& folder)
{
    ProgramFolderOverride() = folder;
}

QString SettingsFileName()
{
    QString folder = ProgramFolder();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("Vidrolle_2nd.ini");
}

QString ReadIniValue(const QString& section, const QString& key, const QString& fileName)
{
    return platform::GetPrivateProfileString(UpToNul(section), UpToNul(key), QString(),
                                             UpToNul(fileName));
}

void WriteIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& fileName)
{
    // The result is dropped on purpose: a settings file that cannot be
    // written must not keep the user from leaving the program.
    platform::WritePrivateProfileString(UpToNul(section).left(kMaxNameLength),
                                        UpToNul(key).left(kMaxNameLength), UpToNul(value),
                                        UpToNul(fileName));
}

int16_t FolderExists(const QString& path)
{
    // A folder exists when a search of it finds any entry; every readable
    // folder holds at least ".", while a missing or unreadable one fails.
    const QByteArray folder = platform::NameToBytes(AddTrailingBackslash(path));
    DIR* directory = ::opendir(folder.constData());
    if (!directory)
        return kFalse;
    const bool found = ::readdir(directory) != nullptr;
    ::closedir(directory);
    return found ? kTrue : kFalse;
}

QString AddTrailingBackslash(const QString& path)
{
    QString result = path;
    while (result.endsWith(u' '))
        result.chop(1);
    if (!result.endsWith(u'/'))
        result += u'/';
    return result;
}

double GetFileDate(const QString& path)
{
    const std::optional<QDate> date = platform::FileLastWriteLocalDate(path);
    if (!date) {
        platform::MsgBox(QStringLiteral("Error ") + platform::DisplayName(path), QString::fromLatin1(platform::kAppTitle));
        return 0;
    }
    return platform::DateValue(*date);
}

float MagnificationFromText(const QString& text)
{
    // A number too large for a float counts as no number at all.
    if (const std::optional<float> value = platform::ToSingle(text))
        return *value;
    return kDefaultMagnification;
}

void LoadSettingsInto(PlayState& state, const QString& fileName, const QString& programFolder)
{
    const QString pattern = ReadIniValue(kSettingsSection, QStringLiteral("Pattern"), fileName);
    state.FilePattern = pattern.isEmpty() ? QString::fromLatin1(kDefaultPattern) : pattern;

    const QString path = ReadIniValue(kSettingsSection, QStringLiteral("Path"), fileName);
    state.FolderPath = (!path.isEmpty() && FolderExists(path)) ? path : programFolder;

    LoadInteger(state.SizeMode, QStringLiteral("Size"), fileName);

    const QString magnification = ReadIniValue(kSettingsSection, QStringLiteral("Bairitu"), fileName);
    if (magnification.isEmpty())
        state.Magnification = kDefaultMagnification;
    else if (const std::optional<float> value = platform::ToSingle(magnification))
        state.Magnification = *value;

    LoadInteger(state.RepeatMode, QStringLiteral("Repeat"), fileName);
    LoadInteger(state.PlayOrder, QStringLiteral("SEQ"), fileName);
}

void SaveSettingsFrom(PlayState& state, const QString& folderPath, const QString& patternText,
                      const QString& magnificationText, const QString& fileName)
{
    WriteIniValue(kSettingsSection, QStringLiteral("Path"), folderPath, fileName);
    WriteIniValue(kSettingsSection, QStringLiteral("Pattern"), patternText, fileName);
    WriteIniValue(kSettingsSection, QStringLiteral("Size"), platform::NumberText(state.SizeMode), fileName);
    state.Magnification = MagnificationFromText(magnificationText);
    WriteIniValue(kSettingsSection, QStringLiteral("Bairitu"), platform::NumberText(state.Magnification),
                  fileName);
    WriteIniValue(kSettingsSection, QStringLiteral("Repeat"), platform::NumberText(state.RepeatMode),
                  fileName);
    WriteIniValue(kSettingsSection, QStringLiteral("SEQ"), platform::NumberText(state.PlayOrder), fileName);
}
