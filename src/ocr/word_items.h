#pragma once
// Recognised words as page text items, the form every captured glyph has:
// one item a letter, on the word's baseline, the size taken from its line's
// height and the letters spread over the word's box in proportion to their
// widths in the chosen face, so the run the layout makes of them fits the
// box the word had in the picture.
#include <cstdint>
#include <string>
#include <vector>

#include "ocr/ocr_engine.h"
#include "page/text_item.h"

struct CWordItemStyle {
    std::string face;             // the face the text is written in
    double scale = 1;             // picture pixels per recognised pixel
    uint32_t color = 0;           // 0x00BBGGRR
};

// The letters of one word (its box and baseline in the upright page of
// `page`) as items in picture pixels. Upright pages give horizontal items;
// a page whose text reads up or down gives items turned that way.
void AppendWordItems(const COcrPage& page, const COcrWord& word, const CWordItemStyle& style,
                     std::vector<CTextItem>& items);

// The font size (em, in pixels) of text whose line is `lineHeight` pixels
// from the top of its ascenders to the bottom of its descenders.
double EmOfLineHeight(double lineHeight);

// The blank between two words of one line, as the items of a PDF's text
// have it: from the end of the last letter of `before` to the start of
// `after`. false (nothing added) when they are not on one horizontal line
// or do not leave room for it.
bool AppendWordSpace(const CTextItem& before, const CTextItem& after, std::vector<CTextItem>& items);

// True when the word's stems are as thick, for its size, as a bold face's.
bool LooksBold(const COcrWord& word);

// The face recognised text is written in when nothing tells a closer one.
inline constexpr const char* kRecognisedTextFace = "Arial";

// The closest face for the words of a page: a serif face when most of its
// words have serifs, else a sans face (the faces Word users have for each).
std::string RecognisedFaceOf(const std::vector<COcrWord>& words);
