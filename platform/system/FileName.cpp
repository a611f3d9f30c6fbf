#include "platform/system/FileInfo.h"
#include "platform/system/FileNameBytes.h"

namespace platform {

QString ExistingFileName(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    if (name.isEmpty() || name.startsWith(u'.') || !IsRegularFile(path))
        return {};
    return DisplayName(name);
}

} // namespace platform
