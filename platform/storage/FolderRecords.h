// What a listing knows of one folder's watch history: the mark data of each
// file, by its name as bytes. A listing of tens of thousands of files looks
// every name up once, so the table is built for that: every name lives in one
// byte buffer and the index is a flat open-addressing table of entry numbers.
// Neither filling it nor a look-up allocates per file, which a hash of
// QByteArray keys did twice per file (once to read, once to ask).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// What a listing needs of a file's record: whether it still describes the
// file there, and how to mark it. Kept apart from the full record so that
// reading a folder of thousands of records stays cheap.
struct HistoryMarkData {
    long long length = 0;
    long long modifiedNs = 0;
    int ending = 0;
    bool seenToEnd = false;
};

class FolderRecords {
public:
    // Makes room for `count` names of `bytes` bytes in all, so that filling
    // the table grows nothing.
    void Reserve(size_t count, size_t bytes);
    // Keeps the data of `name`, replacing what the name had.
    void Insert(std::string_view name, const HistoryMarkData& data);
    // Forgets the name; false when it had no data.
    bool Remove(std::string_view name);
    // The data of `name`; null when it has none.
    const HistoryMarkData* Find(std::string_view name) const;
    bool Contains(std::string_view name) const { return Find(name) != nullptr; }
    size_t Size() const { return live_; }
    bool Empty() const { return live_ == 0; }

private:
    struct Entry {
        uint32_t offset = 0;
        uint32_t length = 0;
        HistoryMarkData data;
        bool removed = false;
    };

    // The slot that holds the name's entry, or the empty slot where it would go.
    size_t SlotOf(std::string_view name, size_t hash) const;
    std::string_view NameOf(const Entry& entry) const { return {names_.data() + entry.offset, entry.length}; }
    void Grow();

    std::string names_;
    std::vector<Entry> entries_;
    // Entry number plus one; 0 marks an empty slot. The size is a power of
    // two kept at least twice the number of entries.
    std::vector<uint32_t> slots_;
    size_t live_ = 0;
};

} // namespace platform
