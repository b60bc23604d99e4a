#include "rtf/text_run.h"

namespace {
CPageRuns pageRuns;
}

CPageRuns& PageRuns() { return pageRuns; }
