#pragma once
// A run's RTF: each styled piece as the document's control words and its
// settled text encoded (see CPrintedText), in the form the run's kind and the
// page's text mode call for.
#include <string>

#include "page/text_run.h"

class CRtfWriter;

// The run's RTF; font and colour numbers come from `writer`, whose tables
// already hold the page's faces and colours. A run with right-to-left
// letters comes in logical order: every stretch of one style and one
// direction a group that states its style once for left-to-right script and
// once after \rtlch for right-to-left script (left-to-right groups then
// switch back with \ltrch).
std::string RunRtf(const CTextRun& run, TextMode mode, CRtfWriter& writer);
