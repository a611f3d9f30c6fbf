#include "platform/media/ThumbnailQueue.h"

#include <algorithm>

namespace platform {

void ThumbnailQueue::Want(const std::vector<QString>& paths)
{
    waiting_.clear();
    std::set<QString> seen;
    for (const QString& path : paths)
        if (!taken_.count(path) && seen.insert(path).second)
            waiting_.push_back(path);
}

std::optional<QString> ThumbnailQueue::Take()
{
    if (waiting_.empty())
        return std::nullopt;
    QString path = waiting_.front();
    waiting_.pop_front();
    taken_.insert(path);
    return path;
}

void ThumbnailQueue::Forget()
{
    waiting_.clear();
    taken_.clear();
}

std::vector<int> RowsNearestFirst(int first, int last, int centre)
{
    std::vector<int> rows;
    if (first < 1 || last < first)
        return rows;
    centre = std::clamp(centre, first, last);
    rows.push_back(centre);
    for (int distance = 1; centre - distance >= first || centre + distance <= last; ++distance) {
        if (centre - distance >= first)
            rows.push_back(centre - distance);
        if (centre + distance <= last)
            rows.push_back(centre + distance);
    }
    return rows;
}

} // namespace platform
