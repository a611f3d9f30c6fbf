#include "platform/storage/FolderRecords.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace platform {

namespace {

size_t HashOf(std::string_view name)
{
    return std::hash<std::string_view>{}(name);
}

} // namespace

void FolderRecords::Reserve(size_t count, size_t bytes)
{
    names_.reserve(bytes);
    entries_.reserve(count);
    const size_t wanted = std::bit_ceil(std::max<size_t>(16, 2 * count));
    if (wanted > slots_.size()) {
        slots_.assign(wanted, 0);
        for (size_t index = 0; index < entries_.size(); ++index)
            slots_[SlotOf(NameOf(entries_[index]), HashOf(NameOf(entries_[index])))] =
                static_cast<uint32_t>(index + 1);
    }
}

size_t FolderRecords::SlotOf(std::string_view name, size_t hash) const
{
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const uint32_t held = slots_[slot];
        if (held == 0 || NameOf(entries_[held - 1]) == name)
            return slot;
    }
}

void FolderRecords::Grow()
{
    Reserve(std::max<size_t>(16, 2 * entries_.size()), names_.size());
}

void FolderRecords::Insert(std::string_view name, const HistoryMarkData& data)
{
    if (2 * (entries_.size() + 1) > slots_.size())
        Grow();
    const size_t slot = SlotOf(name, HashOf(name));
    if (const uint32_t held = slots_[slot]) {
        Entry& entry = entries_[held - 1];
        if (entry.removed)
            ++live_;
        entry.data = data;
        entry.removed = false;
        return;
    }
    Entry entry;
    entry.offset = static_cast<uint32_t>(names_.size());
    entry.length = static_cast<uint32_t>(name.size());
    entry.data = data;
    names_.append(name);
    entries_.push_back(entry);
    slots_[slot] = static_cast<uint32_t>(entries_.size());
    ++live_;
}

bool FolderRecords::Remove(std::string_view name)
{
    if (slots_.empty())
        return false;
    // The entry stays in place, so the probe sequences through its slot
    // still reach the names beyond it.
    const uint32_t held = slots_[SlotOf(name, HashOf(name))];
    if (held == 0 || entries_[held - 1].removed)
        return false;
    entries_[held - 1].removed = true;
    --live_;
    return true;
}

const HistoryMarkData* FolderRecords::Find(std::string_view name) const
{
    if (slots_.empty())
        return nullptr;
    const uint32_t held = slots_[SlotOf(name, HashOf(name))];
    if (held == 0 || entries_[held - 1].removed)
        return nullptr;
    return &entries_[held - 1].data;
}

} // namespace platform
