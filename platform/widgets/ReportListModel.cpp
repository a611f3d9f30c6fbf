#include "platform/widgets/ReportListModel.h"

#include <algorithm>

namespace platform::report {

void GrowSubItems(Row& row, int subItem, int columns)
{
    row.subItems.resize(static_cast<size_t>(std::max(subItem, std::min(columns - 1, kMaxSubItems))));
}

void ApplyOrder(std::vector<Row>& rows, const std::vector<int>& order)
{
    // Gathered into a new array in their new order: the writes run straight
    // through, and only the reads jump, a few rows ahead of need.
    std::vector<Row> ordered;
    ordered.reserve(rows.size());
    const size_t count = order.size();
    for (size_t i = 0; i < count; ++i) {
        if (i + 8 < count)
            __builtin_prefetch(&rows[static_cast<size_t>(order[i + 8])]);
        ordered.push_back(std::move(rows[static_cast<size_t>(order[i])]));
    }
    rows.swap(ordered);
}

} // namespace platform::report
