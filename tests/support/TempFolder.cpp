#include "TempFolder.h"

#include "platform/system/FileNameBytes.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString TempFolder::MakeRawFile(const QByteArray& name, const QByteArray& content, const QString& in) const
{
    const QByteArray path = platform::NameToBytes(in.isEmpty() ? Path() : in) + '/' + name;
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return {};
    const bool written = ::write(fd, content.constData(), static_cast<size_t>(content.size())) == content.size();
    ::close(fd);
    return written ? platform::NameFromBytes(path) : QString();
}

QString TempFolder::MakeRawFolder(const QByteArray& name, const QString& in) const
{
    const QByteArray path = platform::NameToBytes(in.isEmpty() ? Path() : in) + '/' + name;
    ::mkdir(path.constData(), 0755);
    return platform::NameFromBytes(path);
}
