#include "fonts/sfnt_writer.h"

#include <algorithm>

namespace {
// The value the checksum of a whole font file must come to.
constexpr uint32_t kChecksumMagic = 0xB1B0AFBA;
// The sfnt version of TrueType outlines.
constexpr uint32_t kTrueTypeVersion = 0x00010000;
constexpr size_t kOffsetTableSize = 12;
constexpr size_t kDirectoryEntrySize = 16;
}  // namespace

void CByteWriter::PatchU16(size_t at, uint32_t v)
{
    bytes_[at] = uint8_t(v >> 8);
    bytes_[at + 1] = uint8_t(v);
}

void CByteWriter::PatchU32(size_t at, uint32_t v)
{
    PatchU16(at, v >> 16);
    PatchU16(at + 2, v & 0xFFFF);
}

uint32_t TableChecksum(const uint8_t* data, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i < size; i += 4) {
        uint32_t word = 0;
        for (size_t k = 0; k < 4; ++k) word = word << 8 | (i + k < size ? data[i + k] : 0);
        sum += word;
    }
    return sum;
}

CBinarySearchHeader BinarySearchHeader(uint32_t n, uint32_t unit)
{
    uint32_t power = 1, log2 = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log2;
    }
    if (n == 0) power = 0;
    return {uint16_t(power * unit), uint16_t(log2), uint16_t(n * unit - power * unit)};
}

std::vector<uint8_t> AssembleSfnt(std::vector<CSfntTable> tables)
{
    std::sort(tables.begin(), tables.end(), [](const CSfntTable& a, const CSfntTable& b) { return a.tag < b.tag; });
    CByteWriter out;
    out.U32(kTrueTypeVersion);
    out.U16(uint32_t(tables.size()));
    const CBinarySearchHeader search = BinarySearchHeader(uint32_t(tables.size()), kDirectoryEntrySize);
    out.U16(search.searchRange);
    out.U16(search.entrySelector);
    out.U16(search.rangeShift);
    size_t offset = kOffsetTableSize + kDirectoryEntrySize * tables.size();
    size_t headOffset = 0;
    bool haveHead = false;
    for (CSfntTable& table : tables) {
        if (table.tag == "head") {
            // The adjustment counts as zero in head's own checksum.
            for (size_t k = 0; k < 4; ++k) table.data[kHeadChecksumAdjustmentOffset + k] = 0;
            headOffset = offset;
            haveHead = true;
        }
        out.Tag(table.tag.c_str());
        out.U32(TableChecksum(table.data.data(), table.data.size()));
        out.U32(uint32_t(offset));
        out.U32(uint32_t(table.data.size()));
        offset += (table.data.size() + 3) / 4 * 4;
    }
    for (const CSfntTable& table : tables) {
        out.Bytes(table.data);
        out.Pad4();
    }
    if (haveHead) {
        const uint32_t sum = TableChecksum(out.Data().data(), out.Size());
        out.PatchU32(headOffset + kHeadChecksumAdjustmentOffset, kChecksumMagic - sum);
    }
    return out.Take();
}
