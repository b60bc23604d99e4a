#pragma once
// Right-to-left text in the RTF of one line. The glyphs of a PDF line arrive
// in drawing order, left to right, so a run's text holds Arabic and Hebrew
// words back to front. A reader lays out stored text by the bidirectional
// algorithm: the line is therefore written in logical order (the order that
// the algorithm turns back into the PDF's left-to-right order), right-to-left
// parts marked \rtlch so that their font, size and style reach the letters.
#include <string>
#include <string_view>

// True when the run RTF holds a letter of a right-to-left script.
bool ContainsRightToLeft(std::string_view rtf);

// True when the line reads as a right-to-left paragraph: the letters at both
// of its ends are right-to-left ones, or, when its ends differ, most of its
// letters are.
bool IsRightToLeftLine(std::string_view rtf);

// The run RTF of one visual line (groups and style control words as the run
// collectors write them, in left-to-right order) rewritten in logical order
// for a paragraph of the given direction: every stretch of one style and
// one direction becomes a group that states its style once for left-to-right
// script and once after \rtlch for right-to-left script (left-to-right
// groups then switch back with \ltrch), and
// mirrored characters (brackets) of right-to-left stretches take their
// mirror image. Text without right-to-left letters comes back unchanged.
std::string LogicalOrderRtf(std::string_view rtf, bool rightToLeftParagraph);
