#include "capture/accept_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace {

// Added to the rounded height to get a band height: a duplicate's baseline is
// less than half its height away, and R(h) + 2 leaves a wide margin over that.
constexpr double kBandPadding = 2.0;
// Baselines this far from the page (or not finite) share one band that every
// query also searches; a new item out there is checked by the plain scan.
constexpr double kFarBaseline = 1e12;
// The band of far baselines.
constexpr int64_t kFarBand = std::numeric_limits<int64_t>::min();

uint64_t Mix(uint64_t h, uint64_t v)
{
    // splitmix64 finaliser over the running hash
    uint64_t z = h ^ (v + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2));
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

uint64_t BitsOf(double v)
{
    v += 0.0;  // one zero, whatever its sign
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// Everything but the band: the fields a duplicate must share exactly.
uint64_t GroupHash(const CTextItem& item, double roundedHeight)
{
    uint64_t h = std::hash<std::u16string>{}(item.text);
    h = Mix(h, uint64_t(uint32_t(item.useCharCode)));
    return Mix(h, BitsOf(roundedHeight));
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

uint64_t BandKey(uint64_t group, int64_t band) { return Mix(group, uint64_t(band)); }

double BandHeight(double roundedHeight) { return std::max(roundedHeight, 0.0) + kBandPadding; }

int64_t BandOf(double y, double roundedHeight)
{
    if (!(std::fabs(y) < kFarBaseline)) return kFarBand;
    return int64_t(std::floor(y / BandHeight(roundedHeight)));
}

}  // namespace

double RoundWhole(double v) { return std::floor(v + 0.5); }

bool CAcceptIndex::LastItem::Matches(const CTextItem& item) const
{
    // bitwise, so an item with a NaN coordinate still counts as unchanged
    return SameBits(item.x, x) && SameBits(item.y, y) && SameBits(item.width, width) &&
           SameBits(item.height, height) && item.text == text;
}

bool DuplicatesStoredItem(const CTextItem& p, const CTextItem& n)
{
    const bool boxesMeet = n.y - n.height <= p.y && p.y - p.height <= n.y &&
                           p.x + p.width >= n.x && n.x + n.width >= p.x;
    return boxesMeet && p.useCharCode == n.useCharCode && p.text == n.text &&
           RoundWhole(p.height) == RoundWhole(n.height) && std::fabs(n.x - p.x) < 0.5 * p.width &&
           std::fabs(n.y - p.y) < 0.5 * p.height;
}

bool IsDuplicateByScan(const std::vector<CTextItem>& store, const CTextItem& n)
{
    for (const CTextItem& p : store)
        if (DuplicatesStoredItem(p, n)) return true;
    return false;
}

bool CAcceptIndex::HasDuplicate(const std::vector<CTextItem>& store, const CTextItem& n)
{
    if (!InSync(store)) Rebuild(store);
    const double roundedHeight = RoundWhole(n.height);
    if (std::isnan(roundedHeight)) return false;  // equal rounded heights are required
    const int64_t band = BandOf(n.y, roundedHeight);
    if (band == kFarBand) return IsDuplicateByScan(store, n);

    const uint64_t group = GroupHash(n, roundedHeight);
    for (int64_t b : {band - 1, band, band + 1, kFarBand}) {
        const auto found = bands_.find(BandKey(group, b));
        if (found == bands_.end()) continue;
        for (uint32_t i : found->second)
            if (DuplicatesStoredItem(store[i], n)) return true;
    }
    return false;
}

void CAcceptIndex::NoteAppended(const std::vector<CTextItem>& store)
{
    const bool onlyAppended = store.size() == indexedCount_ + 1 &&
                              (indexedCount_ == 0 || last_.Matches(store[indexedCount_ - 1]));
    if (!onlyAppended) {
        Rebuild(store);
        return;
    }
    Insert(store, store.size() - 1);
    Remember(store);
}

bool CAcceptIndex::InSync(const std::vector<CTextItem>& store) const
{
    if (store.size() != indexedCount_ || store.data() != indexedData_) return false;
    if (store.empty()) return true;
    return last_.Matches(store.back());
}

void CAcceptIndex::Rebuild(const std::vector<CTextItem>& store)
{
    ++rebuilds_;
    bands_.clear();
    for (size_t i = 0; i < store.size(); ++i) Insert(store, i);
    Remember(store);
}

void CAcceptIndex::Insert(const std::vector<CTextItem>& store, size_t index)
{
    const CTextItem& p = store[index];
    const double roundedHeight = RoundWhole(p.height);
    if (std::isnan(roundedHeight)) return;  // can never be matched
    const uint64_t key = BandKey(GroupHash(p, roundedHeight), BandOf(p.y, roundedHeight));
    bands_[key].push_back(uint32_t(index));
}

void CAcceptIndex::Remember(const std::vector<CTextItem>& store)
{
    indexedCount_ = store.size();
    indexedData_ = store.data();
    if (store.empty()) {
        last_ = LastItem{};
        return;
    }
    const CTextItem& back = store.back();
    last_ = LastItem{back.x, back.y, back.width, back.height, back.text};
}
