// Our reader and writer of the INI settings format: "[Section]" header lines
// and "key=value" lines. Section and key names compare without regard to
// case; blanks around a value are removed on reading; a missing file or key
// reads as the default; at most 255 characters are returned. Writing replaces
// a present key in its place, appends a new key at the end of its section and
// creates the file and the section when missing; every write replaces the
// file atomically (a complete, synced temporary beside it, then rename), so a
// crash never leaves half a file, and a temporary left by a killed writer is
// removed by the next write or start. Text is UTF-8; LF, CRLF and bare CR
// line ends and a UTF-8 byte-order mark are all read. A value's bytes that
// are not valid UTF-8 (a folder name from an older system) read and write
// byte for byte (see FileNameBytes.h).
#pragma once

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace platform {

QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName);

// Returns false when the file could not be written (nothing is changed then).
// An empty section or key name, a section name holding "]", a key name
// holding "=" or starting with "[", and any line break or NUL in a name or
// the value are refused, since they would change the file's structure; so is
// a file that exists but cannot be read, which would otherwise be replaced by
// the new key alone.
bool WritePrivateProfileString(const QString& section, const QString& key, const QString& value,
                               const QString& fileName);

// Sets several keys of one section in order, as so many calls of
// WritePrivateProfileString would, but with one read and one replacement
// of the file: a second program writing the same file meanwhile either sees
// all of them or none. A key refused for its names or value is passed over
// (the others are written) and makes the answer false.
bool WritePrivateProfileStrings(const QString& section, const std::vector<std::pair<QString, QString>>& keys,
                                const QString& fileName);

// The errno value of this thread's last WritePrivateProfileString, 0 when it
// succeeded; a write refused for its names or value gives EINVAL.
int LastProfileWriteError();

// Removes the temporaries that writers of this settings file left beside it
// when they were killed mid-write. A temporary of a writer that is still
// running (a second copy of the program) is kept. Called at start; every
// write does it as well.
void RemoveStaleProfileTemporaries(const QString& fileName);

// For tests: a write to a file for which the predicate returns true fails.
void SetWriteFailureForTests(std::function<bool(const QString& fileName)> predicate);

} // namespace platform
