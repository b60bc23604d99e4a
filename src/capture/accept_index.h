#pragma once
// Finds whether a new glyph repeats one already in the page store without
// comparing it with every stored item: items are grouped by text, by rounded
// height and by a band of baselines, and only the bands a duplicate could lie
// in are searched. The answer is exactly that of the plain scan.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "capture/text_item.h"

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
    // store was cleared, filtered or changed behind its back and rebuilds.
    bool HasDuplicate(const std::vector<CTextItem>& store, const CTextItem& n);

    // Call right after appending an item to `store`.
    void NoteAppended(const std::vector<CTextItem>& store);

    // How often the index was rebuilt from the store (for tests).
    int RebuildCount() const { return rebuilds_; }

private:
    struct LastItem {
        double x = 0, y = 0;
        float width = 0, height = 0;
        std::u16string text;
        bool Matches(const CTextItem& item) const;
    };

    bool InSync(const std::vector<CTextItem>& store) const;
    void Rebuild(const std::vector<CTextItem>& store);
    void Insert(const std::vector<CTextItem>& store, size_t index);
    void Remember(const std::vector<CTextItem>& store);

    std::unordered_map<uint64_t, std::vector<uint32_t>> bands_;
    size_t indexedCount_ = 0;
    const CTextItem* indexedData_ = nullptr;
    LastItem last_;
    int rebuilds_ = 0;
};
