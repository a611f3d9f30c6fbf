// A temporary folder with helpers to create files of a given size.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TempFolder {
public:
    QString Path() const { return dir_.path(); }
    QString FilePath(const QString& name) const { return dir_.filePath(name); }
    // Creates (or replaces) a file holding `size` bytes; a large size makes a
    // sparse file.
    QString MakeFile(const QString& name, long long size = 0) const;
    QString MakeFileWithContent(const QString& name, const QByteArray& content) const;
    QString MakeFolder(const QString& name) const;
    // The same for a name given as raw bytes (not necessarily UTF-8), inside
    // the folder `in` (a path as FileNameBytes keeps it; empty: this folder).
    // The returned path is kept the same way; "" when the file was not made.
    QString MakeRawFile(const QByteArray& name, const QByteArray& content, const QString& in = QString()) const;
    QString MakeRawFolder(const QByteArray& name, const QString& in = QString()) const;

private:
    QTemporaryDir dir_;
};
