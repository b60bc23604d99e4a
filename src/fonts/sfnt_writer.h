#pragma once
// Big-endian byte buffers and the assembly of sfnt tables into one font file
// (table directory, padding, checksums, head's checksum adjustment).
#include <cstdint>
#include <string>
#include <vector>

class CByteWriter {
public:
    void U8(uint32_t v) { bytes_.push_back(uint8_t(v)); }
    void U16(uint32_t v)
    {
        U8(v >> 8);
        U8(v);
    }
    void S16(int32_t v) { U16(uint16_t(int16_t(v))); }
    void U32(uint32_t v)
    {
        U16(v >> 16);
        U16(v);
    }
    void Tag(const char tag[4])
    {
        for (int i = 0; i < 4; ++i) U8(uint8_t(tag[i]));
    }
    void Bytes(const std::vector<uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    void Pad4()
    {
        while (bytes_.size() % 4) U8(0);
    }
    // Overwrites two or four bytes already written.
    void PatchU16(size_t at, uint32_t v);
    void PatchU32(size_t at, uint32_t v);
    size_t Size() const { return bytes_.size(); }
    std::vector<uint8_t>& Data() { return bytes_; }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

// The sum of the data as big-endian 32-bit words, zero padded.
uint32_t TableChecksum(const uint8_t* data, size_t size);

struct CSfntTable {
    std::string tag;  // four characters
    std::vector<uint8_t> data;
};

// The byte offset of head.checkSumAdjustment inside the head table.
constexpr size_t kHeadChecksumAdjustmentOffset = 8;

// A TrueType-outline font file of the tables (sorted by tag here); head's
// checksum adjustment is filled in when a head table is among them.
std::vector<uint8_t> AssembleSfnt(std::vector<CSfntTable> tables);

// searchRange, entrySelector and rangeShift for n entries of `unit` bytes.
struct CBinarySearchHeader {
    uint16_t searchRange, entrySelector, rangeShift;
};
CBinarySearchHeader BinarySearchHeader(uint32_t n, uint32_t unit);
