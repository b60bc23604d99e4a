#pragma once
// Runs with plain ASCII text for the layout tests, and their text read back
// piece by piece as "{piece}{piece}".
#include <string>

#include "page/text_run.h"

namespace layouttest {

inline CTextPiece PieceOf(const std::string& text)
{
    CTextPiece piece;
    piece.face = "Arial";
    piece.halfPoints = 24;
    for (char c : text)
        piece.spans.push_back(CTextSpan{std::u16string(1, static_cast<char16_t>(c)), false});
    return piece;
}

inline std::string TextOf(const CTextRun& run)
{
    std::string text;
    for (const CTextPiece& piece : run.pieces) {
        text += '{';
        for (const CTextSpan& span : piece.spans)
            for (char16_t c : span.text)
                text += static_cast<char>(c);
        text += '}';
    }
    return text;
}

}  // namespace layouttest
