#pragma once
// Finds whether a new glyph repeats one already in the page store without
// comparing it with every stored item: items are grouped by text, by rounded
// height and by a band of baselines, and only the bands a duplicate could lie
// in are searched. The answer is exactly that of the plain scan.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "page/text_item.h"

// floor(v + 0.5): the whole-pixel rounding used by the duplicate and space tests.
double RoundWhole(double v);

// True when the stored item `p` makes the new item `n` a duplicate (same text,
// same rounded height, boxes meet, origin closer than half of p's size).
bool DuplicatesStoredItem(const CTextItem& p, const CTextItem& n);

// The reference answer: compares `n` with every stored item.
bool IsDuplicateByScan(const std::vector<CTextItem>& store, const CTextItem& n);

class CAcceptIndex {
public:
    // Same answer as IsDuplicateByScan(store, n). The index notices when the
    // store was cleared, filtered or reallocated, or its last item replaced,
    // behind its back and rebuilds. It keeps a copy of every item's box, so
    // other items must not be moved in place without clearing the store.
    bool HasDuplicate(const std::vector<CTextItem>& store, const CTextItem& n);

    // Call right after appending an item to `store`.
    void NoteAppended(const std::vector<CTextItem>& store);

    // How often the index was rebuilt from the store (for tests).
    int RebuildCount() const { return rebuilds_; }

private:
    static constexpr uint32_t kNoEntry = UINT32_MAX;

    // One indexed item as the search sees it: its box, copied so that a search
    // stays inside this array and touches the store only for a likely match.
    struct Entry {
        double x, y;
        float width, height;
        uint32_t item;   // position in the store
        uint32_t older;  // the band's previous entry, or kNoEntry
    };
    // Open addressing from a band key to the band's newest entry.
    struct Slot {
        uint64_t key = 0;
        uint32_t newest = kNoEntry;  // kNoEntry: the slot is free
    };
    struct LastItem {
        double x = 0, y = 0;
        float width = 0, height = 0;
        std::u16string text;
        bool Matches(const CTextItem& item) const;
    };

    // The item last asked about and its band key: the key of the append that
    // usually follows. The key depends on nothing else.
    struct AskedItem {
        bool valid = false;
        double y = 0;
        float height = 0;
        int32_t useCharCode = 0;
        std::u16string text;
        uint64_t key = 0;
        bool Describes(const CTextItem& item) const;
    };

    bool InSync(const std::vector<CTextItem>& store) const;
    void Rebuild(const std::vector<CTextItem>& store);
    void Insert(const std::vector<CTextItem>& store, size_t index);
    void Remember(const std::vector<CTextItem>& store);
    bool SearchBand(const std::vector<CTextItem>& store, const CTextItem& n, uint64_t key);
    uint32_t NewestOf(uint64_t key) const;
    // The key's slot, or the free slot where it goes (needs a non-empty table).
    Slot& SlotOf(uint64_t key);
    void Grow();
    void ClearSlots();

    std::vector<Entry> entries_;
    std::vector<Slot> slots_;  // a power of two in size, at most half full
    size_t usedSlots_ = 0;
    size_t farEntries_ = 0;    // entries in the bands of far baselines
    size_t indexedCount_ = 0;
    const CTextItem* indexedData_ = nullptr;
    LastItem last_;
    AskedItem asked_;
    int rebuilds_ = 0;
};
