#include "TempFolder.h"

#include <QDir>
#include <QFile>

QString TempFolder::MakeFile(const QString& name, long long size) const
{
    const QString path = FilePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && size > 0)
        file.resize(size);
    return path;
}

QString TempFolder::MakeFileWithContent(const QString& name, const QByteArray& content) const
{
    const QString path = FilePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

QString TempFolder::MakeFolder(const QString& name) const
{
    QDir(Path()).mkpath(name);
    return FilePath(name);
}
