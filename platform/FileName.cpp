#include "platform/FileInfo.h"

#include <QFileInfo>

namespace platform {

QString ExistingFileName(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.isHidden())
        return {};
    return info.fileName();
}

} // namespace platform
