#pragma once
// Helpers of the font tests: reading files, the validator browsers use, and
// a built font reloaded in FreeType.
#include <cstdint>
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

}  // namespace fonttest
