#pragma once
// A check that the page's captured text reaches the document: every glyph
// item of the page is printed exactly once. It compares the characters of
// the items with the characters of the page model's settled text, the text
// each printer writes (paragraphs, frames and text boxes), as multisets,
// blanks left out; so it holds for every output format.
#include <string>
#include <vector>

#include "page/page.h"
#include "page/text_item.h"

// The characters the items stand for, in store order, as a run prints each
// glyph's text; blanks and control characters left out.
std::u16string ItemCharacters(const std::vector<CTextItem>& items);

// The characters the printers write for the laid-out page: in flow mode its
// blocks, in frame mode the runs of its frame plan, and its text boxes;
// blanks and control characters left out.
std::u16string PrintedCharacters(const CPage& page);

struct CTextAuditResult {
    std::u16string missing;  // in the items, not (or not as often) on the page
    std::u16string extra;    // on the page more often than in the items
    bool Clean() const { return missing.empty() && extra.empty(); }
};

// Multiset difference of the two character lists, each side sorted; the two
// characters of a mirrored pair (brackets) count as one.
CTextAuditResult CompareCharacters(std::u16string expected, std::u16string written);

// Collects a page's items before they become runs and compares them with
// the laid-out page.
class CPageTextAudit {
public:
    void NoteItems(const std::vector<CTextItem>& items) { expected_ = ItemCharacters(items); }
    // The page as printed; returns the page's result and keeps it.
    const CTextAuditResult& CheckPage(int pageNumber, const CPage& page);

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
