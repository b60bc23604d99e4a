#pragma once
// Flow mode: a block that layout marked as one tabbed line is written as one
// paragraph with a tab stop per run instead of a column section.
#include <string>

#include "page/run_block.h"

class CRtfWriter;

// The block's runs as one line starting at `origin` (the left edge its
// paragraph is set from): the box of all the runs, the tallest line height
// and size; `text` gets tab stops on every run's left edge relative to
// `origin`, then each run's RTF after a tab of its own size.
CTextRun TabbedLine(const CRunBlock& block, int32_t origin, CRtfWriter& writer, std::string& text);
