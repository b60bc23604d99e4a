#pragma once
// A document format: gets the pages of one PDF in order.
#include <string>

#include "page/page.h"

// Errors are errno values (0 = fine).
class IPagePrinter {
public:
    virtual ~IPagePrinter() = default;
    virtual int PrintPage(const CPage& page) = 0;
    // Completes the file; nothing is written after it.
    virtual int Finish() = 0;
    // True when the printer embeds the PDF's own fonts: capture then collects
    // the glyphs each font program shows.
    virtual bool EmbedsDocumentFonts() const { return false; }
    // After Finish: one line on the fonts the document carries, or empty.
    virtual std::string FontReport() const { return {}; }
};
