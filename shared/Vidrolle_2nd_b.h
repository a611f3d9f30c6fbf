// The procedures the browser window's handlers share: the settings file
// (ReadIniValue, WriteIniValue), the path helpers (FolderExists,
// AddTrailingBackslash), the file date of the list, and the loading and saving
// of the settings into and from the play state.
#pragma once

#include "shared/PlayState.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>


// The settings file's path: beside the program for a copy that may write its
// own folder or already keeps the file there, else under the user's
// configuration folder (see platform/system/ProgramPlaces.h). Decided once.
QString SettingsFileName();
// The folder opened when no remembered folder can be used: the program's
// folder for a portable copy, else the user's videos folder or home.
QString DefaultFolder();
// The watch history's database file: beside the settings file for a portable
// copy, else under the user's state folder. Decided with the settings path.
QString HistoryFileName();
// The program's own folder (the folder of the running executable).
QString ProgramFolder();
// For tests: ProgramFolder() returns this folder instead; an empty text puts
// the executable's folder back. The settings path and the default folder are
// decided again from the surroundings of then.
void SetProgramFolderForTests(const QString& folder);

QString ReadIniValue(const QString& section, const QString& key, const QString& fileName);
// False when the value could not be written (platform::LastProfileWriteError
// says why).
bool WriteIniValue(const QString& section, const QString& key, const QString& value,
                  const QString& fileName);

// Writes several keys of one section at once, with the same rules for each
// as WriteIniValue, in one replacement of the file. False when any could
// not be written.
using IniKeys = std::vector<std::pair<QString, QString>>;
bool WriteIniValues(const QString& section, const IniKeys& keys, const QString& fileName);

// -1 when the folder exists (a search of it finds an entry), 0 otherwise.
int16_t FolderExists(const QString& path);
// The path with trailing blanks removed and "/" appended unless it ends with one.
QString AddTrailingBackslash(const QString& path);

// A file's path split at its last "/": the folder as the folder picker gives
// it (ending with "/" only at "/") and the name.
struct PathParts {
    QString folder;
    QString name;
};
PathParts SplitPath(const QString& path);

// The day count of the file's last-write date in local time, without time of
// day; 0 (after the message "Error " and the path) when it cannot be opened.
double GetFileDate(const QString& path);
// The same for a date already read (nothing when the file could not be
// opened); `path` gives the path's text, asked only for the message.
double GetFileDate(const std::optional<QDate>& date, const std::function<QString()>& path);

// Whether the settings were saved and, when not, the system's reason.
struct SettingsSaved {
    bool saved = true;
    QString reason;
};

// The settings-file steps of the browser window, apart from its controls so
// that they can be tested alone. Loading skips each setting it cannot read;
// saving makes the file's folder where missing, writes every key it can and
// reports the first failure.
void LoadSettingsInto(PlayState& state, const QString& fileName, const QString& defaultFolder);
// `additions` are written after the six keys, in the same replacement.
SettingsSaved SaveSettingsFrom(PlayState& state, const QString& folderPath, const QString& patternText,
                               const QString& magnificationText, const QString& fileName,
                               const IniKeys& additions = {});

// The program's own keys in the settings file, beyond the six: each is
// written only where the file holds it already or its value is not the
// default, so that a settings file of a user who never touched it keeps
// exactly its bytes. `inFile` tells whether the file holds the key at all.
// A value that does not convert, or that the setting does not take, reads
// as the default.
inline constexpr const char* kHistoryKey = "History";
inline constexpr const char* kThumbnailsKey = "Thumbnails";
inline constexpr const char* kVolumeKey = "Volume";

// A switch of the program's own features: 0 turns it off, anything else (and
// a missing or empty value) leaves it on. "History" switches the watch
// history, "Thumbnails" the pictures of films in the list's tooltips.
struct SwitchSetting {
    int16_t value = 1;
    bool inFile = false;
    bool Enabled() const { return value != 0; }
    static bool Takes(int16_t) { return true; }
};
using HistorySetting = SwitchSetting;

// "Volume", the players' loudness: 0 to 100, 100 when missing.
struct VolumeSetting {
    int16_t value = 100;
    bool inFile = false;
    static bool Takes(int16_t value) { return value >= 0 && value <= 100; }
};

template <typename Setting>
Setting LoadKeptSetting(const QString& key, const QString& fileName);
// Adds the key to those End writes, where it is to be written at all.
template <typename Setting>
void AddKeptSetting(const QString& key, const Setting& setting, IniKeys& keys);
// Writes the key alone, where it is to be written. False when that failed.
template <typename Setting>
bool SaveKeptSetting(const QString& key, const Setting& setting, const QString& fileName);

inline HistorySetting LoadHistorySetting(const QString& fileName)
{
    return LoadKeptSetting<HistorySetting>(QString::fromLatin1(kHistoryKey), fileName);
}
inline bool SaveHistorySetting(const HistorySetting& setting, const QString& fileName)
{
    return SaveKeptSetting(QString::fromLatin1(kHistoryKey), setting, fileName);
}

// Magnification from the magnification box's text: the number when numeric,
// else 1.2. A number beyond the range of a float counts as not numeric.
float MagnificationFromText(const QString& text);

inline constexpr const char* kSettingsSection = "Section";
inline constexpr const char* kDefaultPattern =
    "*.ram;*.rm;*.avi;*.mpeg;*.mpg;*.asf;*.wmv;*.divx;*.dat;*.rmvb";
// The file-kind row for today's common containers. It is offered, never the
// default: a settings file without a pattern keeps meaning the old kinds.
inline constexpr const char* kTodaysKindsPattern =
    "*.mp4;*.m4v;*.mkv;*.webm;*.mov;*.avi;*.mpg;*.mpeg;*.wmv;*.flv;*.ts;*.m2ts;*.ogv;*.3gp";
