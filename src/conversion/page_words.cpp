#include "conversion/page_words.h"

#include "page/page.h"

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x00A0 || c == 0x3000 ||
           (c >= 0x2000 && c <= 0x200B);
}

int CountRunWords(const CTextRun& run)
{
    int words = 0;
    bool inWord = false;
    for (const CTextPiece& piece : run.pieces)
        for (const CTextSpan& span : piece.spans)
            for (const char16_t c : span.text) {
                if (IsBlank(c)) {
                    inWord = false;
                } else if (!inWord) {
                    inWord = true;
                    ++words;
                }
            }
    return words;
}

} // namespace

int CountPageWords(const CPage& page)
{
    int words = 0;
    // The blocks and frame stacks hold copies of the line runs; the lists
    // hold each run once.
    for (const RunList* runs : {&page.lineRuns, &page.boxRuns, &page.upRuns, &page.downRuns})
        for (const CTextRun& run : *runs)
            words += CountRunWords(run);
    return words;
}
