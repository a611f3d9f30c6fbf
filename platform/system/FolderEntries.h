// Reading a folder's entries for the pickers. When the user moves to a
// folder, the folder picker reads it for its subfolders and the file picker
// reads it again at once for its files; a folder of thirty thousand films
// takes milliseconds of the kernel's time for each read. So a read for
// folders keeps the other entries it passed over, and the next read for
// files takes them instead of reading the folder again, as long as the
// folder cannot have changed since: it is the same folder, its last change
// is the one seen then, and that change lay well before that read began.
// Kept entries serve one read, within a second; the pickers live on the
// window's thread, and so does what is kept.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

// An error of a path operation: the system's error number and its description.
struct PathError {
    int number = 0;
    QString description;
};

PathError PathErrorOf(int number);

enum class EntryKind { Folders, Files };

// The entries of `folder` of the asked kind (regular files or folders,
// following symbolic links), hidden names left out, in the order the system
// gives them, appended to `names`. `accept` filters names before any stat
// call is paid.
std::optional<PathError> ReadFolderEntries(const QString& folder, EntryKind kind, QStringList& names,
                                           const std::function<bool(const QString&)>& accept);

// For tests: how many reads for files so far took the entries a read for
// folders kept.
int FileReadsFromKeptEntries();

} // namespace platform
