#include "platform/widgets/OpenUrl.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {
namespace {

std::function<bool(const QString&)>& Handler()
{
    static std::function<bool(const QString&)> handler;
    return handler;
}

} // namespace

bool OpenWithDesktop(const QString& address)
{
    if (Handler())
        return Handler()(address);
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

void SetOpenWithDesktopHandler(std::function<bool(const QString&)> handler)
{
    Handler() = std::move(handler);
}

} // namespace platform
