#pragma once
// Helpers of the font tests: reading files, the validator browsers use, and
// a built font reloaded in FreeType.
#include <cstdint>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "platform/temp_path.h"

namespace fonttest {

inline std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// ots-sanitize's verdict on the font; `message` gets its output.
inline bool PassesOts(const std::vector<uint8_t>& font, std::string* message = nullptr)
{
    const std::string path = MakeTempPath() + ".ttf";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(font.data()), std::streamsize(font.size()));
    }
    const std::string command = "ots-sanitize '" + path + "' 2>&1";
    std::string output;
    int status = -1;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) output.append(buf, n);
        status = pclose(pipe);
    }
    std::remove(path.c_str());
    if (message) *message = output;
    // ots-sanitize names what it dropped or fixed even when it exits 0.
    return status == 0 && output.find("WARNING") == std::string::npos;
}

// A font held in memory and opened by FreeType for the checks.
class LoadedFont {
public:
    explicit LoadedFont(std::vector<uint8_t> data) : data_(std::move(data))
    {
        if (FT_Init_FreeType(&lib_)) return;
        if (FT_New_Memory_Face(lib_, data_.data(), FT_Long(data_.size()), 0, &face_)) face_ = nullptr;
    }
    ~LoadedFont()
    {
        if (face_) FT_Done_Face(face_);
        if (lib_) FT_Done_FreeType(lib_);
    }
    LoadedFont(const LoadedFont&) = delete;
    LoadedFont& operator=(const LoadedFont&) = delete;

    FT_Face Face() const { return face_; }
    // The unscaled advance of the glyph, font units; -1 when it cannot load.
    long Advance(FT_UInt glyph) const
    {
        if (FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE)) return -1;
        return face_->glyph->metrics.horiAdvance;
    }

private:
    std::vector<uint8_t> data_;
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

// A table of an sfnt file; empty when it has none.
inline std::vector<uint8_t> SfntTable(const std::vector<uint8_t>& font, const char tag[4])
{
    auto u16 = [&](size_t at) { return at + 2 <= font.size() ? uint32_t(font[at] << 8 | font[at + 1]) : 0u; };
    auto u32 = [&](size_t at) { return u16(at) << 16 | u16(at + 2); };
    const uint32_t n = u16(4);
    for (uint32_t i = 0; i < n; ++i) {
        const size_t e = 12 + 16 * size_t(i);
        if (e + 16 > font.size()) break;
        if (std::equal(tag, tag + 4, font.begin() + long(e))) {
            const size_t at = u32(e + 8), length = u32(e + 12);
            if (at + length > font.size()) break;
            return std::vector<uint8_t>(font.begin() + long(at), font.begin() + long(at + length));
        }
    }
    return {};
}

// What a shaper applying the font's `liga` feature under `script` draws for
// the glyphs at the start of `glyphs`: the ligature glyph, and in `length`
// how many glyphs it takes; 0 when no rule applies. Read from the GSUB bytes
// the way a shaper walks them: script, its default language system, the
// features named liga, their lookups of type 4.
inline uint16_t LigatureOf(const std::vector<uint8_t>& font, const char script[4], const std::vector<uint16_t>& glyphs,
                           size_t* length = nullptr)
{
    const std::vector<uint8_t> t = SfntTable(font, "GSUB");
    auto u16 = [&](size_t at) { return at + 2 <= t.size() ? uint16_t(t[at] << 8 | t[at + 1]) : uint16_t(0); };
    auto tagAt = [&](size_t at, const char* tag) { return at + 4 <= t.size() && std::equal(tag, tag + 4, t.begin() + long(at)); };
    if (t.empty() || glyphs.empty()) return 0;
    const size_t scripts = u16(4), features = u16(6), lookups = u16(8);
    size_t langSys = 0;
    for (uint16_t i = 0; i < u16(scripts); ++i)
        if (tagAt(scripts + 2 + 6 * i, script)) {
            const size_t s = scripts + u16(scripts + 2 + 6 * i + 4);
            if (u16(s)) langSys = s + u16(s);
        }
    if (!langSys) return 0;
    for (uint16_t f = 0; f < u16(langSys + 4); ++f) {
        const uint16_t featureIndex = u16(langSys + 6 + 2 * f);
        if (!tagAt(features + 2 + 6 * featureIndex, "liga")) continue;
        const size_t feature = features + u16(features + 2 + 6 * featureIndex + 4);
        for (uint16_t k = 0; k < u16(feature + 2); ++k) {
            const size_t lookup = lookups + u16(lookups + 2 + 2 * u16(feature + 4 + 2 * k));
            if (u16(lookup) != 4) continue;
            for (uint16_t st = 0; st < u16(lookup + 4); ++st) {
                const size_t sub = lookup + u16(lookup + 6 + 2 * st);
                const size_t coverage = sub + u16(sub + 2);
                if (u16(coverage) != 1) continue;
                for (uint16_t c = 0; c < u16(coverage + 2); ++c) {
                    if (u16(coverage + 4 + 2 * c) != glyphs[0]) continue;
                    const size_t set = sub + u16(sub + 6 + 2 * c);
                    for (uint16_t l = 0; l < u16(set); ++l) {
                        const size_t lig = set + u16(set + 2 + 2 * l);
                        const size_t count = u16(lig + 2);
                        if (count == 0 || count > glyphs.size()) continue;
                        bool match = true;
                        for (size_t m = 1; m < count && match; ++m) match = u16(lig + 4 + 2 * (m - 1)) == glyphs[m];
                        if (!match) continue;
                        if (length) *length = count;
                        return u16(lig);
                    }
                }
            }
        }
    }
    return 0;
}

}  // namespace fonttest
