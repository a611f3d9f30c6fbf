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

private:
    QTemporaryDir dir_;
};
