// Where the program keeps its settings file and which folder it opens when no
// remembered folder can be used. A copy of the program that may write its own
// folder (a portable copy, the build tree), or that already has a settings
// file there, keeps the file beside itself and falls back to its own folder.
// An installed program (its folder not writable, as /usr/bin, or installed
// beside its desktop entry) keeps the file
// under the user's configuration folder and falls back to the user's videos
// folder, or to the home folder when that does not exist. The watch history
// lives beside the settings file for a portable copy and under the user's
// state folder for an installed program. The decision is
// pure logic over a description of the surroundings, so that every branch
// can be tested with a made-up one; ProbeSurroundings fills it in with a few
// access and stat calls.
#pragma once

#include <QString>

namespace platform {

inline constexpr const char* kSettingsBaseName = "Vidrolle_2nd.ini";
inline constexpr const char* kSettingsFolderName = "vidrolle2nd";
inline constexpr const char* kHistoryBaseName = "history.sqlite";
// The program's application id, the name of its desktop entry.
inline constexpr const char* kApplicationId = "org.example.vidrolle.Vidrolle2nd";

struct Surroundings {
    QString programFolder;
    bool settingsFileBesideProgram = false;
    bool programFolderWritable = false;
    // Whether the program was installed with its desktop entry, found at
    // ../share/applications/ from its folder. Such a copy is an installed
    // one even where its folder is writable: run by root from /usr/bin, or
    // installed into ~/.local, it must not keep its settings in bin/.
    bool installedWithDesktopEntry = false;
    // The value of XDG_CONFIG_HOME; empty when unset.
    QString configHome;
    // The value of XDG_STATE_HOME; empty when unset.
    QString stateHome;
    QString homeFolder;
    // The user's videos folder as the desktop names it, and whether it is
    // there.
    QString videosFolder;
    bool videosFolderExists = false;
};

struct ProgramPlaces {
    bool portable = false;
    QString settingsFile;
    QString defaultFolder;
    QString historyFile;
};

ProgramPlaces DecidePlaces(const Surroundings& surroundings);

// The real surroundings of a program living in programFolder, read from the
// file system and the environment.
Surroundings ProbeSurroundings(const QString& programFolder);

// Makes the folder that holds fileName, with its parents, where missing.
// Returns an empty text on success, else the system's reason.
QString MakeFolderOf(const QString& fileName);

// The system's text for an errno value.
QString ErrorText(int error);

} // namespace platform
