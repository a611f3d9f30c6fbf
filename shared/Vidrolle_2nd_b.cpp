#include "shared/Vidrolle_2nd_b.h"

#include "platform/system/FileInfo.h"
#include "platform/system/FileNameBytes.h"
#include "platform/widgets/MessageBox.h"
#include "platform/system/ProgramPlaces.h"
#include "platform/storage/Profile.h"
#include "platform/rules/Runtime.h"

#include <QCoreApplication>

#include <optional>

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

// Decided once, on first use: the rule looks at the file system, and where
// the settings live must not change while the program runs.
std::optional<platform::ProgramPlaces>& CachedPlaces()
{
    static std::optional<platform::ProgramPlaces> places;
    return places;
}

const platform::ProgramPlaces& Places()
{
    if (!CachedPlaces())
        CachedPlaces() = platform::DecidePlaces(platform::ProbeSurroundings(ProgramFolder()));
    return *CachedPlaces();
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
    CachedPlaces().reset();
}

QString SettingsFileName()
{
    return Places().settingsFile;
}

QString HistoryFileName()
{
    return Places().historyFile;
}

QString DefaultFolder()
{
    return Places().defaultFolder;
}

QString ReadIniValue(const QString& section, const QString& key, const QString& fileName)
{
    return platform::GetPrivateProfileString(UpToNul(section), UpToNul(key), QString(),
                                             UpToNul(fileName));
}

bool WriteIniValue(const QString& section, const QString& key, const QString& value,
                  const QString& fileName)
{
    return platform::WritePrivateProfileString(UpToNul(section).left(kMaxNameLength),
                                               UpToNul(key).left(kMaxNameLength), UpToNul(value),
                                               UpToNul(fileName));
}

bool WriteIniValues(const QString& section, const IniKeys& keys, const QString& fileName)
{
    IniKeys cut;
    cut.reserve(keys.size());
    for (const auto& [key, value] : keys)
        cut.emplace_back(UpToNul(key).left(kMaxNameLength), UpToNul(value));
    return platform::WritePrivateProfileStrings(UpToNul(section).left(kMaxNameLength), cut, UpToNul(fileName));
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

PathParts SplitPath(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {QString(), path};
    return {slash == 0 ? QStringLiteral("/") : path.first(slash), path.sliced(slash + 1)};
}

double GetFileDate(const QString& path)
{
    return GetFileDate(platform::FileLastWriteLocalDate(path), [&] { return path; });
}

double GetFileDate(const std::optional<QDate>& date, const std::function<QString()>& path)
{
    if (!date) {
        platform::MsgBox(QStringLiteral("Error ") + platform::DisplayName(path()), QString::fromLatin1(platform::kAppTitle));
        return 0;
    }
    return platform::DateValue(*date);
}

template <typename Setting>
Setting LoadKeptSetting(const QString& key, const QString& fileName)
{
    // A default no settings line can hold (lines end at a line break) tells
    // a missing key from an empty value.
    const QString missing = QStringLiteral("\n");
    const QString text =
        platform::GetPrivateProfileString(QString::fromLatin1(kSettingsSection), key, missing, UpToNul(fileName));
    Setting setting;
    setting.inFile = text != missing;
    if (setting.inFile && !text.isEmpty())
        if (const std::optional<int16_t> value = platform::ToInteger16(text); value && Setting::Takes(*value))
            setting.value = *value;
    return setting;
}

template <typename Setting>
void AddKeptSetting(const QString& key, const Setting& setting, IniKeys& keys)
{
    if (setting.inFile || setting.value != Setting{}.value)
        keys.emplace_back(key, platform::NumberText(setting.value));
}

template <typename Setting>
bool SaveKeptSetting(const QString& key, const Setting& setting, const QString& fileName)
{
    IniKeys keys;
    AddKeptSetting(key, setting, keys);
    return keys.empty() || WriteIniValues(kSettingsSection, keys, fileName);
}

template SwitchSetting LoadKeptSetting<SwitchSetting>(const QString&, const QString&);
template VolumeSetting LoadKeptSetting<VolumeSetting>(const QString&, const QString&);
template void AddKeptSetting<SwitchSetting>(const QString&, const SwitchSetting&, IniKeys&);
template void AddKeptSetting<VolumeSetting>(const QString&, const VolumeSetting&, IniKeys&);
template bool SaveKeptSetting<SwitchSetting>(const QString&, const SwitchSetting&, const QString&);
template bool SaveKeptSetting<VolumeSetting>(const QString&, const VolumeSetting&, const QString&);

float MagnificationFromText(const QString& text)
{
    // A number too large for a float counts as no number at all.
    if (const std::optional<float> value = platform::ToSingle(text))
        return *value;
    return kDefaultMagnification;
}

void LoadSettingsInto(PlayState& state, const QString& fileName, const QString& defaultFolder)
{
    const QString pattern = ReadIniValue(kSettingsSection, QStringLiteral("Pattern"), fileName);
    state.FilePattern = pattern.isEmpty() ? QString::fromLatin1(kDefaultPattern) : pattern;

    const QString path = ReadIniValue(kSettingsSection, QStringLiteral("Path"), fileName);
    state.FolderPath = (!path.isEmpty() && FolderExists(path)) ? path : defaultFolder;

    LoadInteger(state.SizeMode, QStringLiteral("Size"), fileName);

    const QString magnification = ReadIniValue(kSettingsSection, QStringLiteral("Bairitu"), fileName);
    if (magnification.isEmpty())
        state.Magnification = kDefaultMagnification;
    else if (const std::optional<float> value = platform::ToSingle(magnification))
        state.Magnification = *value;

    LoadInteger(state.RepeatMode, QStringLiteral("Repeat"), fileName);
    LoadInteger(state.PlayOrder, QStringLiteral("SEQ"), fileName);
}

SettingsSaved SaveSettingsFrom(PlayState& state, const QString& folderPath, const QString& patternText,
                               const QString& magnificationText, const QString& fileName, const IniKeys& additions)
{
    SettingsSaved outcome;
    // An installed program's settings folder may not be there yet; when it
    // cannot be made, the write below fails and says why.
    const QString folderReason = platform::MakeFolderOf(fileName);
    state.Magnification = MagnificationFromText(magnificationText);
    IniKeys keys{
        {QStringLiteral("Path"), folderPath},
        {QStringLiteral("Pattern"), patternText},
        {QStringLiteral("Size"), platform::NumberText(state.SizeMode)},
        {QStringLiteral("Bairitu"), platform::NumberText(state.Magnification)},
        {QStringLiteral("Repeat"), platform::NumberText(state.RepeatMode)},
        {QStringLiteral("SEQ"), platform::NumberText(state.PlayOrder)},
    };
    keys.insert(keys.end(), additions.begin(), additions.end());
    // One whole file: another copy of the program ending at the same time
    // leaves either its file or this one, never a mix of the two. A key
    // that cannot be written is passed over, and whatever can be kept is.
    if (!WriteIniValues(kSettingsSection, keys, fileName)) {
        outcome.saved = false;
        outcome.reason =
            folderReason.isEmpty() ? platform::ErrorText(platform::LastProfileWriteError()) : folderReason;
    }
    return outcome;
}
