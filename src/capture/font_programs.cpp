#include "capture/font_programs.h"

#include <Object.h>
#include <Array.h>
#include <Dict.h>
#include <GfxFont.h>
#include <cctype>
#include <XRef.h>
#include <GlobalParams.h>
#include <fofi/FoFiTrueType.h>
#include <goo/gmem.h>

#include "capture/face_lookup.h"
#include "capture/font_names.h"
#include "capture/font_style.h"
#include "capture/text_collector.h"
#include "fonts/document_fonts.h"
#include "fonts/glyph_names.h"
#include "fonts/program_face.h"
#include "page/text_item.h"

namespace {

// PDF widths of simple and CID fonts are fractions of an em; the store keeps thousandths.
constexpr double kThousandths = 1000.0;
// Codes of a simple font.
constexpr int kSimpleCodes = 256;
// Most entries of a CID-to-glyph table taken from a PDF (CIDs are 16 bits).
constexpr int kMostCids = 65536;
// Text from a font program below this is a control character, not text.
constexpr char32_t kFirstText = 0x20;
constexpr char32_t kHighSurrogateFirst = 0xD800, kLowSurrogateFirst = 0xDC00, kSurrogateLast = 0xDFFF;

bool IsByNameType(GfxFontType t)
{
    return t == fontType1 || t == fontType1C || t == fontType1COT;
}

bool IsEmbeddableType(GfxFontType t)
{
    switch (t) {
    case fontType1:
    case fontType1C:
    case fontType1COT:
    case fontTrueType:
    case fontTrueTypeOT:
    case fontCIDType0C:
    case fontCIDType0COT:
    case fontCIDType2:
    case fontCIDType2OT: return true;
    default: return false;  // Type 3, bare CID Type 0 (PostScript), unknown
    }
}

std::string WithoutSubsetPrefix(const std::string& name)
{
    const size_t plus = name.find('+');
    return plus == std::string::npos ? name : name.substr(plus + 1);
}

std::string Folded(std::string_view s)
{
    std::string out;
    for (char c : s)
        if (c != ' ' && c != '-' && c != '_') out.push_back(char(std::tolower((unsigned char)c)));
    return out;
}

// The font's text is written in an installed face of its own name, or in a
// face with its metrics that its name starts with (ArialMT: Arial).
bool HasInstalledFace(const CFontDecision& decision, const std::string& pdfName)
{
    if (decision.reason == FaceReason::Found || decision.reason == FaceReason::Alias) return true;
    if (decision.reason != FaceReason::FamilyTable || decision.face.empty()) return false;
    const std::string face = Folded(decision.face), name = Folded(pdfName);
    return name.compare(0, face.size(), face) == 0 &&
           IsMetricCompatible(decision.face, FontconfigMatchFamily(decision.face));
}

char32_t NameLookup(const std::string& name)
{
    return globalParams ? char32_t(globalParams->mapNameToUnicodeText(name.c_str())) : 0;
}

std::u32string CodePointsOf(const std::u16string& text)
{
    std::u32string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= kHighSurrogateFirst && u < kLowSurrogateFirst && i + 1 < text.size() &&
            text[i + 1] >= kLowSurrogateFirst && text[i + 1] <= kSurrogateLast) {
            out.push_back(0x10000 + ((char32_t(u) - kHighSurrogateFirst) << 10) + (text[i + 1] - kLowSurrogateFirst));
            ++i;
        } else {
            out.push_back(u);
        }
    }
    return out;
}

// Default CID width when a descendant font says none (thousandths).
constexpr double kDefaultCidWidth = 1000.0;

// The widths of a CID font's descendant (its W array and DW), CID -> thousandths.
void ReadCidWidths(XRef* xref, const GfxFont& font, std::unordered_map<uint32_t, double>& widths, double& fallback)
{
    fallback = kDefaultCidWidth;
    if (!xref) return;
    Object fontObj = xref->fetch(*font.getID());
    if (!fontObj.isDict()) return;
    Object descendants = fontObj.dictLookup("DescendantFonts");
    if (!descendants.isArray() || descendants.arrayGetLength() < 1) return;
    Object desc = descendants.arrayGet(0);
    if (!desc.isDict()) return;
    if (Object dw = desc.dictLookup("DW"); dw.isNum()) fallback = dw.getNum();
    Object w = desc.dictLookup("W");
    if (!w.isArray()) return;
    const int n = w.arrayGetLength();
    for (int i = 0; i + 1 < n;) {
        Object first = w.arrayGet(i);
        if (!first.isInt()) break;
        Object second = w.arrayGet(i + 1);
        if (second.isArray()) {
            const int count = std::min(second.arrayGetLength(), kMostCids);
            for (int k = 0; k < count; ++k) {
                Object v = second.arrayGet(k);
                if (v.isNum()) widths[uint32_t(first.getInt() + k)] = v.getNum();
            }
            i += 2;
        } else if (i + 2 < n) {
            Object third = w.arrayGet(i + 2);
            if (!second.isInt() || !third.isNum()) break;
            const int last = std::min(second.getInt(), first.getInt() + kMostCids);
            for (int c = first.getInt(); c <= last && c >= 0; ++c) widths[uint32_t(c)] = third.getNum();
            i += 3;
        } else {
            break;
        }
    }
}

}  // namespace

void CFontPrograms::StartDocument(XRef* xref)
{
    xref_ = xref;
    byRef_.clear();
    states_.clear();
    lastFont_ = nullptr;
    lastIndex_ = -1;
    CDocumentFonts& store = DocumentFonts();
    store.Reset(store.Collecting(), store.Salt());
}

int CFontPrograms::NoteGlyph(const std::shared_ptr<GfxFont>& font, CharCode code)
{
    if (!font) return -1;
    int index;
    if (font.get() == lastFont_) {
        index = lastIndex_;
    } else {
        index = OpenFont(font);
        lastFont_ = font.get();
        lastIndex_ = index;
    }
    if (index >= 0) RecordCode(index, code);
    return index;
}

int CFontPrograms::OpenFont(const std::shared_ptr<GfxFont>& font)
{
    const Ref* ref = font->getID();
    const auto key = std::make_pair(ref->num, ref->gen);
    if (auto it = byRef_.find(key); it != byRef_.end()) {
        // Keep this object alive too, so its address is not reused by another font.
        states_[size_t(it->second)].gfxFont = font;
        return it->second;
    }
    CDocumentFont doc;
    doc.pdfName = WithoutSubsetPrefix(font->getName() ? *font->getName() : std::string());
    FontState state;
    state.gfxFont = font;
    state.simple = !font->isCIDFont();
    state.byName = IsByNameType(font->getType());
    if (IsEmbeddableType(font->getType()) && xref_) {
        if (auto bytes = font->readEmbFontFile(xref_); bytes && !bytes->empty()) {
            doc.program = std::make_shared<const std::vector<uint8_t>>(std::move(*bytes));
            doc.programHash = FingerprintBytes(doc.program->data(), doc.program->size());
            doc.face = std::make_shared<CProgramFace>(doc.program->data(), doc.program->size());
            if (!doc.face->Usable()) {
                doc.embedding = FontEmbedding::kUnreadable;
            } else if (!RightsAllowEditableEmbedding(doc.face->FsType())) {
                doc.embedding = FontEmbedding::kRestricted;
            } else {
                doc.embedding = FontEmbedding::kEmbeddable;
                // A face with the font's metrics is installed: readers have it.
                if (HasInstalledFace(collector_.DecisionOf(font.get()), doc.pdfName))
                    doc.embedding = FontEmbedding::kInstalledFace;
            }
        }
    }
    const int index = DocumentFonts().AddFont(std::move(doc));
    byRef_.emplace(key, index);
    if (states_.size() <= size_t(index)) states_.resize(size_t(index) + 1);
    states_[size_t(index)] = std::move(state);
    if (!states_[size_t(index)].simple)
        ReadCidWidths(xref_, *font, states_[size_t(index)].cidWidths, states_[size_t(index)].defaultCidWidth);
    MapCodes(index, states_[size_t(index)]);
    return index;
}

void CFontPrograms::MapCodes(int index, FontState& state)
{
    CDocumentFont& doc = DocumentFonts().Font(index);
    if (!doc.face || !doc.face->Usable()) return;
    GfxFont* font = state.gfxFont.get();
    const GfxFontType type = font->getType();
    const std::vector<uint8_t>& program = *doc.program;
    if (state.byName) {
        char** enc = static_cast<Gfx8BitFont*>(font)->getEncoding();
        state.codeToGid.assign(kSimpleCodes, 0);
        for (int c = 0; c < kSimpleCodes; ++c) {
            const char* name = enc[c];
            if (!name) continue;
            uint32_t g = doc.face->GlyphOfName(name);
            if (g == 0)
                if (const char* alt = GfxFont::getAlternateName(name)) g = doc.face->GlyphOfName(alt);
            state.codeToGid[size_t(c)] = int(g);
        }
    } else if (type == fontTrueType || type == fontTrueTypeOT) {
        if (auto ff = FoFiTrueType::make(program.data(), int(program.size()))) {
            if (int* map = static_cast<Gfx8BitFont*>(font)->getCodeToGIDMap(ff.get())) {
                state.codeToGid.assign(map, map + kSimpleCodes);
                gfree(map);
            }
        }
    } else {
        auto* cid = static_cast<GfxCIDFont*>(font);
        if (cid->getCIDToGID() && cid->getCIDToGIDLen() > 0) {
            const int n = std::min<int>(int(cid->getCIDToGIDLen()), kMostCids);
            state.codeToGid.assign(cid->getCIDToGID(), cid->getCIDToGID() + n);
        } else if (type == fontCIDType2 || type == fontCIDType2OT || type == fontCIDType0COT) {
            if (auto ff = FoFiTrueType::make(program.data(), int(program.size()))) {
                int n = 0;
                int* map = type == fontCIDType0COT ? (ff->isOpenTypeCFF() ? ff->getCIDToGIDMap(&n) : nullptr)
                                                   : cid->getCodeToGIDMap(ff.get(), &n);
                if (map) {
                    state.codeToGid.assign(map, map + std::min(n, kMostCids));
                    gfree(map);
                }
            }
        }
        // Otherwise the CID is the glyph: a CID-keyed CFF program maps it itself.
    }
    // The letters a ligature's text needs, where the font has a code for
    // them: by the encoding's glyph names, or the program's own Unicode map.
    if (state.simple) {
        char** enc = static_cast<Gfx8BitFont*>(font)->getEncoding();
        for (int c = 0; c < kSimpleCodes; ++c) {
            const uint32_t glyph = GlyphOf(state, CharCode(c));
            if (glyph == 0) continue;
            char32_t cp = enc[c] ? NameLookup(enc[c]) : 0;
            if (cp == 0) cp = doc.face->UnicodeOfGlyph(glyph);
            if (cp >= kFirstText) doc.available.emplace(cp, uint32_t(c));
        }
    }
}

uint32_t CFontPrograms::GlyphOf(const FontState& state, CharCode code) const
{
    if (state.codeToGid.empty()) return state.simple && state.byName ? 0 : uint32_t(code);
    if (code >= state.codeToGid.size()) return 0;
    const int g = state.codeToGid[code];
    return g > 0 ? uint32_t(g) : 0;
}

void CFontPrograms::RecordCode(int index, CharCode code)
{
    CDocumentFont& doc = DocumentFonts().Font(index);
    if (doc.codes.count(code)) return;
    const FontState& state = states_[size_t(index)];
    CFontCode entry;
    GfxFont* font = state.gfxFont.get();
    if (state.simple) {
        entry.width = code < CharCode(kSimpleCodes) ? static_cast<Gfx8BitFont*>(font)->getWidth(uint8_t(code)) * kThousandths : 0;
    } else {
        auto it = state.cidWidths.find(uint32_t(code));
        entry.width = it != state.cidWidths.end() ? it->second : state.defaultCidWidth;
    }
    if (doc.face && doc.face->Usable() && doc.embedding == FontEmbedding::kEmbeddable) {
        entry.glyph = GlyphOf(state, code);
        // Glyph 0 draws the .notdef box: never a glyph worth embedding.
        entry.usable = entry.glyph != 0 && doc.face->GlyphConverts(entry.glyph, entry.inked);
    } else if (doc.face && doc.face->Usable()) {
        entry.glyph = GlyphOf(state, code);
    }
    doc.codes.emplace(code, entry);
}

std::u32string CFontPrograms::ForgottenText(int index, CharCode code)
{
    if (index < 0 || size_t(index) >= states_.size()) return {};
    CDocumentFont& doc = DocumentFonts().Font(index);
    const FontState& state = states_[size_t(index)];
    std::u32string text;
    const uint32_t glyph = GlyphOf(state, code);
    if (doc.face && doc.face->Usable() && glyph != 0) {
        if (const char32_t u = doc.face->UnicodeOfGlyph(glyph); u >= kFirstText) return std::u32string(1, u);
    }
    std::string name;
    if (state.simple && code < CharCode(kSimpleCodes)) {
        if (const char* n = static_cast<Gfx8BitFont*>(state.gfxFont.get())->getEncoding()[code]) name = n;
    }
    if (name.empty() && doc.face && glyph != 0) name = doc.face->GlyphName(glyph);
    text = TextOfGlyphName(name, NameLookup);
    for (char32_t c : text)
        if (c < kFirstText) return {};
    return text;
}

void CFontPrograms::AttachItem(CTextItem& item, int index, CharCode code)
{
    CDocumentFonts& store = DocumentFonts();
    if (!store.Collecting() || index < 0) return;
    CDocumentFont& doc = store.Font(index);
    std::u32string text = CodePointsOf(item.text);
    // A ligature's letters must be known codes of the font before they are placed.
    if (text.size() > 1)
        for (char32_t cp : text)
            if (auto av = doc.available.find(cp); av != doc.available.end()) RecordCode(index, av->second);
    item.embedFamily = store.PlaceGlyph(index, code, text);
    if (item.embedFamily >= 0) store.UseSlot(item.embedFamily, item.bold != 0, item.italic != 0);
}
