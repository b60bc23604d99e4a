#pragma once
// One PDF into one document, whatever its format: the pages of the open PDF
// rendered and captured, laid out into page models, handed to the printer in
// order, and the printer finished. The batch worker, --to-rtf and the
// benchmarks all convert through it.
#include <string>

#include "conversion/page_loop.h"

class IPagePrinter;

// `job` names the open document, the page range, the mode and the optional
// parts (receiver, timings, text check, page budget, page callback); its
// device, printer and picture file are the pipeline's own. The callback is
// called with 0 before the printer is finished. Done once the printer is
// finished; otherwise why not, with the file's error line in `message`
// where there is one.
PageLoopResult ConvertDocument(PageLoopJob job, IPagePrinter& printer, std::string& message);

// The pages to convert of a document of `pageCount` pages: all, or from..to
// cut to the document (a range from 0 starts at page 1). False when no page
// is left.
bool PagesToConvert(int pageCount, bool allPages, int from, int to, int& first, int& last);
