// What the program is asked to open at start, from its command line or from
// a drop on the browser window:
//
//     vidrolle2nd [--help] [--version] [FOLDER | FILE... | URI...]
//
// A folder opens the browser there instead of the remembered folder; files
// (paths, or "file://" URIs as file managers pass them) play in turn in the
// order given. --version and --help are answered without a window, the
// settings file or the history. The rules are plain logic over a probe of the
// file system, so that every case can be tested with made-up paths; words
// keep their bytes (see platform/system/FileNameBytes.h).
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    // Refuse: what was wrong, in one line.
    QString problem;
    // Run: the folder, files and URIs, as given.
    QStringList arguments;
};

// The words of the command line, the program's name first, byte for byte.
QStringList CommandLineWords(int argc, char** argv);
CommandLine ReadCommandLine(const QStringList& words);

// The texts the program prints for --version and --help, and for an option
// it does not know (to standard error, with exit status 2).
QString VersionText();
QString HelpText(const QString& settingsFile);
QString RefusalText(const CommandLine& line);

// What a path names.
enum class PathKind {
    Folder,         // a folder that can be read
    UnusableFolder, // a folder that cannot be read, or a missing one named as a folder ("x/")
    File,           // anything else that is there
    Missing,        // nothing by that name
    NotLocal,       // a URI that names no local file (another scheme or host)
};
using PathProbe = std::function<PathKind(const QString& path)>;
// The real file system: a folder is one that can be opened for reading.
PathKind ProbePath(const QString& path);

struct OpenItem {
    // The absolute path; for a URI that names no local file, the URI itself.
    QString path;
    PathKind kind = PathKind::Missing;
};

// The files play, in the order given, and folders given among files are
// passed over, as a list leaves folders out; with no files the first folder
// opens. Missing and unusable entries stay in their place, so that the run
// can tell of each one when its turn comes.
struct OpenRequest {
    std::optional<OpenItem> folder;
    std::vector<OpenItem> files;
    bool Empty() const { return !folder && files.empty(); }
};

// `workingFolder` makes relative paths absolute.
OpenRequest PlanOpening(const QStringList& arguments, const QString& workingFolder, const PathProbe& probe);

// A drop is taken when it names a folder that can be read or at least one
// local file; anything else is refused by the pointer.
bool DropIsUsable(const OpenRequest& request);
