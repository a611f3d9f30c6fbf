// The procedures the browser window's handlers share: the settings file
// (ReadIniValue, WriteIniValue), the path helpers (FolderExists,
// AddTrailingBackslash), the file date of the list, and the loading and saving
// of the settings into and from the play state.
#pragma once

#include "app/shared/PlayState.h"

#include <QString>
#include <cstdint>

// The settings file's name: the program's folder and "Vidrolle_2nd.ini".
QString SettingsFileName();
// The program's own folder (the folder of the running executable).
QString ProgramFolder();
// For tests: ProgramFolder() returns this folder instead; an empty text puts
// the executable's folder back.
void SetProgramFolderForTests(const QString& folder);

QString ReadIniValue(const QString& section, const QString& key, const QString& fileName);
// The write's result is not reported to the caller: a settings file that
// cannot be written fails silently.
void WriteIniValue(const QString& section, const QString& key, const QString& value,
                   const QString& fileName);

// -1 when the folder exists (a search of it finds an entry), 0 otherwise.
int16_t FolderExists(const QString& path);
// The path with trailing blanks removed and "/" appended unless it ends with one.
QString AddTrailingBackslash(const QString& path);

// The day count of the file's last-write date in local time, without time of
// day; 0 (after the message "Error " and the path) when it cannot be opened.
double GetFileDate(const QString& path);

// The settings-file steps of the browser window, apart from its controls so
// that they can be tested alone. Each step that fails is skipped silently.
void LoadSettingsInto(PlayState& state, const QString& fileName, const QString& programFolder);
void SaveSettingsFrom(PlayState& state, const QString& folderPath, const QString& patternText,
                      const QString& magnificationText, const QString& fileName);

// Magnification from the magnification box's text: the number when numeric,
// else 1.2. A number beyond the range of a float counts as not numeric.
float MagnificationFromText(const QString& text);

inline constexpr const char* kSettingsSection = "Section";
inline constexpr const char* kDefaultPattern =
    "*.ram;*.rm;*.avi;*.mpeg;*.mpg;*.asf;*.wmv;*.divx;*.dat;*.rmvb";
