#pragma once
// A run's RTF: each styled piece as the document's control words and its
// escaped text, in the form the run's kind and the page's text mode call for.
#include <string>

#include "page/text_run.h"

class CRtfWriter;

// The escaped text of the piece's spans (character-code glyphs as \u).
std::string PieceText(const CTextPiece& piece);

// The run's RTF; font and colour numbers come from `writer`, whose tables
// already hold the page's faces and colours.
std::string RunRtf(const CTextRun& run, TextMode mode, CRtfWriter& writer);
