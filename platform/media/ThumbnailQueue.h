// Which films' pictures to work on next: only the rows the user can see or
// rests on are asked for, the nearest first, and each new ask replaces the
// last, so what scrolled away or belonged to the folder left behind is never
// worked on. Plain logic; the service (ThumbnailService.h) guards it with
// its lock.
#pragma once

#include <QString>
#include <deque>
#include <optional>
#include <set>
#include <vector>

namespace platform {

class ThumbnailQueue {
public:
    // What is wanted now, most wanted first. Files asked for before and not
    // yet taken that are missing here are dropped; files taken already
    // (being worked on, or done) are not asked for again.
    void Want(const std::vector<QString>& paths);
    // The most wanted file not yet taken, now taken.
    std::optional<QString> Take();
    // Everything is asked afresh: the folder was read again, so its files
    // may have changed.
    void Forget();
    bool Empty() const { return waiting_.empty(); }
    std::size_t Waiting() const { return waiting_.size(); }

private:
    std::deque<QString> waiting_;
    std::set<QString> taken_;
};

// Rows first..last (1-based, inclusive), the one at `centre` first and the
// others by their distance from it, the one above before the one below; a
// centre outside them counts from the nearer end.
std::vector<int> RowsNearestFirst(int first, int last, int centre);

} // namespace platform
