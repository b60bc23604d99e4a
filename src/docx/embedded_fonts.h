#pragma once
// The PDF's own fonts inside the package: each embedded family the printed
// pieces use is built from its font program (one font per style the pieces
// use), obfuscated with its key and stored as word/fonts/fontN.odttf; the
// font table names it and the settings ask readers to use it.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

class CZipPackage;

// An embedded font as the font table and its relationships name it.
struct CEmbeddedFontFile {
    int slot = 0;            // FontSlot
    std::string relationId;  // in word/_rels/fontTable.xml.rels
    std::string target;      // "fonts/font1.odttf"
    std::string key;         // "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case
};

struct CEmbeddedFamilyEntry {
    std::string name;        // the family's name in the runs
    std::string altFace;     // the face of its pieces: what a reader without the font uses
    std::vector<CEmbeddedFontFile> files;  // empty when its fonts could not be built
};

// A font key from a seed, in the form readers want (braces, upper case).
std::string FontKeyFromSeed(uint64_t seed);
// XORs the first 32 bytes of the font with the key's 16 bytes, taken from the
// last hex pair of the key to the first; applying it twice gives the font back.
void ObfuscateFont(std::vector<uint8_t>& font, const std::string& key);

class CFontEmbedder {
public:
    // A printed piece uses `family`, set in `face` where the family is missing.
    void NoteFamily(int family, const std::string& face);
    bool Any() const { return !used_.empty(); }

    // Builds and stores the fonts; 0 or the first zip error. Fonts that
    // cannot be built are left out (their runs show their face).
    int StoreFonts(CZipPackage& zip);
    const std::vector<CEmbeddedFamilyEntry>& Families() const { return entries_; }
    bool StoredAny() const;

    // One line on the document's fonts: how many are embedded and why the
    // others are not; empty when the PDF carries no font program.
    std::string Report() const;

private:
    std::map<int, std::string> used_;  // family -> face of its first piece
    std::vector<CEmbeddedFamilyEntry> entries_;
    std::set<int> builtFonts_;   // document fonts with a stored font
    std::set<int> failedFonts_;  // document fonts whose build failed
};
