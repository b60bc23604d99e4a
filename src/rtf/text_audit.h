#pragma once
// A check that the page's captured text reaches the document: every glyph
// item the writer was given is written exactly once. It compares the
// characters of the items with the characters the page's RTF shows (run text
// in paragraphs, frames and text boxes), as multisets, blanks left out.
#include <string>
#include <string_view>
#include <vector>

#include "page/text_item.h"

// The characters the items stand for, in store order: the text of items
// written by character code, the Windows-1252 form (read back as Unicode)
// of the others; blanks and control characters are left out.
std::u16string ItemCharacters(const std::vector<CTextItem>& items);

// The text a reader shows for a piece of RTF body: control words, picture
// data, shape properties and font or colour tables contribute nothing, "\u"
// gives its unit (skipping the one fallback character), bytes are read as
// Windows-1252. Blanks and control characters are left out.
std::u16string RtfVisibleText(std::string_view rtf);

struct CTextAuditResult {
    std::u16string missing;  // in the items, not (or not as often) in the RTF
    std::u16string extra;    // in the RTF more often than in the items
    bool Clean() const { return missing.empty() && extra.empty(); }
};

// Multiset difference of the two character lists, each side sorted; the two
// characters of a mirrored pair (brackets) count as one.
CTextAuditResult CompareCharacters(std::u16string expected, std::u16string written);

// Collects a page's items before it is written and compares them with the
// RTF the writer produced for it.
class CPageTextAudit {
public:
    void NoteItems(const std::vector<CTextItem>& items) { expected_ = ItemCharacters(items); }
    // The RTF of the page as written; returns the page's result and keeps it.
    const CTextAuditResult& CheckPage(int pageNumber, std::string_view pageRtf);

    struct CPageResult {
        int page = 0;
        CTextAuditResult result;
    };
    const std::vector<CPageResult>& Failures() const { return failures_; }
    size_t CheckedCharacters() const { return checked_; }

private:
    std::u16string expected_;
    CTextAuditResult last_;
    std::vector<CPageResult> failures_;
    size_t checked_ = 0;
};
