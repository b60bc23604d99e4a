#include "capture/accept_index.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Added to the rounded height to get a band height: a duplicate's baseline is
// less than half its height away, so with R(h) + 2 it lies in the item's own
// band or in the neighbour on its side, with 0.75 px to spare.
constexpr double kBandPadding = 2.0;
// Baselines this far from the page (or not finite) share one band that every
// query also searches; a new item out there is checked by the plain scan.
constexpr double kFarBaseline = 1e12;
// The band of far baselines.
constexpr int64_t kFarBand = std::numeric_limits<int64_t>::min();
// Slots of a fresh table: a few lines of text fit without growing.
constexpr size_t kInitialSlots = 1024;

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
    uint64_t h = Mix(BitsOf(roundedHeight), (uint64_t(uint32_t(item.useCharCode)) << 32) | item.text.size());
    for (char16_t unit : item.text) h = Mix(h, unit);
    return h;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

uint64_t BandKey(uint64_t group, int64_t band) { return Mix(group, uint64_t(band)); }

double BandHeight(double roundedHeight) { return std::max(roundedHeight, 0.0) + kBandPadding; }

bool IsFar(double y) { return !(std::fabs(y) < kFarBaseline); }

// A baseline's place among the bands of its rounded height, counted in bands.
double BandPosition(double y, double roundedHeight) { return y / BandHeight(roundedHeight); }

int64_t BandOf(double y, double roundedHeight)
{
    return IsFar(y) ? kFarBand : int64_t(std::floor(BandPosition(y, roundedHeight)));
}

// The positional part of the duplicate rule, on a stored item's box. Without
// early exits: along a chain the outcome of each test is hard to predict.
bool CloseEnough(double px, double py, float pw, float ph, const CTextItem& n)
{
    return (n.y - n.height <= py) & (py - ph <= n.y) & (px + pw >= n.x) & (n.x + n.width >= px) &
           (std::fabs(n.x - px) < 0.5 * pw) & (std::fabs(n.y - py) < 0.5 * ph);
}

// Unit by unit, inline: the texts are mostly one unit long.
bool SameText(const std::u16string& a, const std::u16string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

}  // namespace

double RoundWhole(double v) { return std::floor(v + 0.5); }

bool CAcceptIndex::LastItem::Matches(const CTextItem& item) const
{
    // bitwise, so an item with a NaN coordinate still counts as unchanged
    return SameBits(item.x, x) && SameBits(item.y, y) && SameBits(item.width, width) &&
           SameBits(item.height, height) && SameText(item.text, text);
}

bool CAcceptIndex::AskedItem::Describes(const CTextItem& item) const
{
    return valid && SameBits(item.y, y) && SameBits(item.height, height) &&
           item.useCharCode == useCharCode && SameText(item.text, text);
}

// Vertical text advances along y, where the box rule measures the font size:
// the next of two narrow letters ("ll" read upwards) lies within half the
// font size of the first and would be taken for a redrawn copy. A turned
// glyph only repeats one closer than half its advance along the line and
// half its size across it.
bool RepeatsAlongTurnedLine(const CTextItem& p, const CTextItem& n)
{
    if (n.rotation == 0)
        return true;
    return std::fabs(n.y - p.y) < 0.5 * p.width && std::fabs(n.x - p.x) < 0.5 * p.height;
}

bool DuplicatesStoredItem(const CTextItem& p, const CTextItem& n)
{
    return CloseEnough(p.x, p.y, p.width, p.height, n) && p.useCharCode == n.useCharCode &&
           SameText(p.text, n.text) && RoundWhole(p.height) == RoundWhole(n.height) &&
           RepeatsAlongTurnedLine(p, n);
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
    asked_.valid = false;
    if (std::isnan(roundedHeight)) return false;  // equal rounded heights are required
    if (IsFar(n.y)) return IsDuplicateByScan(store, n);

    // A duplicate's baseline is less than BandHeight/2 - 0.75 away (its rounded
    // height is the same), so it lies in n's band or in the neighbour on the
    // side of n's half of the band. The quotients stay exact enough for that
    // while |y| < kFarBaseline.
    const double position = BandPosition(n.y, roundedHeight);
    const double start = std::floor(position);
    const int64_t band = int64_t(start);
    const int64_t neighbour = position - start < 0.5 ? band - 1 : band + 1;
    const uint64_t group = GroupHash(n, roundedHeight);
    asked_ = AskedItem{true, n.y, n.height, n.useCharCode, n.text, BandKey(group, band)};
    if (SearchBand(store, n, asked_.key) || SearchBand(store, n, BandKey(group, neighbour)))
        return true;
    return farEntries_ != 0 && SearchBand(store, n, BandKey(group, kFarBand));
}

bool CAcceptIndex::SearchBand(const std::vector<CTextItem>& store, const CTextItem& n, uint64_t key)
{
    for (uint32_t e = NewestOf(key); e != kNoEntry; e = entries_[e].older) {
        const Entry& p = entries_[e];
        // Bands of other keys may share a chain after a hash collision; the
        // full rule on the stored item settles it.
        if (CloseEnough(p.x, p.y, p.width, p.height, n) && DuplicatesStoredItem(store[p.item], n))
            return true;
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
    entries_.clear();
    farEntries_ = 0;
    ClearSlots();
    for (size_t i = 0; i < store.size(); ++i) Insert(store, i);
    Remember(store);
}

void CAcceptIndex::Insert(const std::vector<CTextItem>& store, size_t index)
{
    const CTextItem& p = store[index];
    uint64_t key;
    if (asked_.Describes(p)) {
        key = asked_.key;  // the usual case: the item just asked about
    } else {
        const double roundedHeight = RoundWhole(p.height);
        if (std::isnan(roundedHeight)) return;  // can never be matched
        const int64_t band = BandOf(p.y, roundedHeight);
        if (band == kFarBand) ++farEntries_;
        key = BandKey(GroupHash(p, roundedHeight), band);
    }
    if (2 * (usedSlots_ + 1) > slots_.size()) Grow();

    Slot& slot = SlotOf(key);
    if (slot.newest == kNoEntry) ++usedSlots_;
    entries_.push_back(Entry{p.x, p.y, p.width, p.height, uint32_t(index), slot.newest});
    slot.newest = uint32_t(entries_.size() - 1);
}

uint32_t CAcceptIndex::NewestOf(uint64_t key) const
{
    if (slots_.empty()) return kNoEntry;
    const size_t mask = slots_.size() - 1;
    for (size_t i = size_t(key) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.newest == kNoEntry || slot.key == key) return slot.newest;
    }
}

CAcceptIndex::Slot& CAcceptIndex::SlotOf(uint64_t key)
{
    // Linear probing; the keys are already well mixed, so the low bits will
    // do. The table is never more than half full, so a free slot ends the probe.
    const size_t mask = slots_.size() - 1;
    for (size_t i = size_t(key) & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.newest == kNoEntry) {
            slot.key = key;
            return slot;
        }
        if (slot.key == key) return slot;
    }
}

void CAcceptIndex::Grow()
{
    std::vector<Slot> old(std::max(kInitialSlots, 2 * slots_.size()));
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.newest != kNoEntry) SlotOf(slot.key).newest = slot.newest;
}

void CAcceptIndex::ClearSlots()
{
    std::fill(slots_.begin(), slots_.end(), Slot{});
    usedSlots_ = 0;
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
