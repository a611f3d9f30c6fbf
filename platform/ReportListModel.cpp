#include "platform/ReportListModel.h"

#include <algorithm>

namespace platform::report {

void GrowSubItems(Row& row, int subItem, int columns)
{
    row.subItems.resize(static_cast<size_t>(std::max(subItem, std::min(columns - 1, kMaxSubItems))));
}

void ApplyOrder(std::vector<Row>& rows, const std::vector<int>& order)
{
    std::vector<bool> placed(rows.size(), false);
    for (size_t start = 0; start < rows.size(); ++start) {
        if (placed[start])
            continue;
        if (static_cast<size_t>(order[start]) == start) {
            placed[start] = true;
            continue;
        }
        Row held = std::move(rows[start]);
        size_t at = start;
        for (;;) {
            const size_t from = static_cast<size_t>(order[at]);
            placed[at] = true;
            __builtin_prefetch(&rows[static_cast<size_t>(order[from])]);
            if (from == start) {
                rows[at] = std::move(held);
                break;
            }
            rows[at] = std::move(rows[from]);
            at = from;
        }
    }
}


} // namespace platform::report
