#include "capture/marked_content.h"

namespace {
std::vector<MarkedContentEntry> markedContentStack;
}

std::vector<MarkedContentEntry>& MarkedContentStack() { return markedContentStack; }
