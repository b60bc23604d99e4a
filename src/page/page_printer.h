#pragma once
// A document format: gets the pages of one PDF in order.
#include "page/page.h"

// Errors are errno values (0 = fine).
class IPagePrinter {
public:
    virtual ~IPagePrinter() = default;
    virtual int PrintPage(const CPage& page) = 0;
    // Completes the file; nothing is written after it.
    virtual int Finish() = 0;
};
