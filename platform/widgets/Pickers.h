// The three pickers the browser walks the file system with.
//
// Drives are the mount points of real file systems (from /proc/self/mounts,
// "/" always first); the drive of a path is the longest mount point that is a
// prefix of it. The folder picker shows and walks folders; the file picker
// lists the names of its folder's files that match any of its ";"-joined
// wildcard patterns, without regard to case, hidden files and folders left
// out, ordered by name the way the report list orders texts (case-insensitive
// in the user's locale). "*" stands for any run of characters, "?" for one,
// and "*.*" for every file, names without a dot included. Folders and names
// are read with readdir, symbolic links followed to what they point at.
// Names and paths are kept byte for byte (see FileNameBytes.h); a name that
// is not valid UTF-8 is shown, matched and ordered by its display text.
//
// Change events are ordinary Qt signals with direct connections: they run
// synchronously inside the setting call, before it returns, so setting the
// drive runs the whole chain drive -> folder -> file list at once. A hidden
// file picker reads its folder when its names are first asked for after a
// change, which is still inside that chain for a handler that asks.
#pragma once

#include "platform/system/FolderEntries.h"

#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>

namespace platform {

// The mount points of the machine's real file systems, "/" first.
QStringList MountPoints();

// The same, from the text of a mount table in the /proc/self/mounts format.
QStringList MountPointsFromTable(const QByteArray& table);

// The longest mount point that is a prefix of the path ("/" at least).
QString DriveOfPath(const QString& path, const QStringList& mountPoints);

class DriveListBox : public QWidget {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget* parent = nullptr);
    ~DriveListBox() override;

    // The chosen drive: a mount point such as "/" or "/media/usb".
    QString Drive() const;
    // Chooses the drive of the given text (a path or a mount point); raises
    // Change when the chosen drive changes.
    void SetDrive(const QString& text);
    QStringList Drives() const;
    void SetDrivesForTests(const QStringList& mountPoints);

signals:
    void Change();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

class DirListBox : public QWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget* parent = nullptr);
    ~DirListBox() override;

    // The current folder's full path; ends with "/" only at "/".
    QString Path() const;
    // Moves to a folder. A text that is exactly a drive (mount point) moves to
    // the folder last shown on that drive, or to its top when none was shown.
    // A folder that cannot be opened gives its error and changes nothing.
    // Raises Change when the path changes.
    std::optional<PathError> SetPath(const QString& path);
    // The drives whose remembered folder SetPath goes to; the machine's mount
    // points unless replaced (tests use temporary folders as drives).
    void SetDrivesForTests(const QStringList& mountPoints);

signals:
    void Change();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Moves to an exact folder (no drive rule); the entries of the list use it.
    std::optional<PathError> MoveTo(const QString& folder);

    struct Impl;
    std::unique_ptr<Impl> d;
};

class FileListBox : public QWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);
    ~FileListBox() override;

    QString Path() const;
    void SetPath(const QString& path);       // raises PathChange
    QString Pattern() const;
    void SetPattern(const QString& pattern); // raises PatternChange
    int ListCount() const;
    QString List(int index) const;           // 0-based name, without folder, byte for byte
    // How many times the picker has read its folder, for tests: a path or
    // pattern set is read when the names are next asked for, so several
    // settings in a row cost one read.
    int ReadCount() const;

signals:
    void PathChange();
    void PatternChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The names no longer follow the path and pattern; a shown picker reads
    // again at once, a hidden one when its names are asked for.
    void MarkStale();

    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace platform
