#pragma once
// Renders fixture pages through the capture device (or the plain device) for
// the capture tests, and reads pixels of the result.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <PDFDoc.h>
#include <SplashOutputDev.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include "capture/capture_output_dev.h"
#include "capture/face_lookup.h"
#include "capture/text_collector.h"
#include "page/text_item.h"
#include "conversion/pdf_library.h"
#include "fixtures/lib/fixtures.h"

struct CRenderedPage {
    std::vector<CTextItem> items;
    int width = 0;
    int height = 0;
    int rowSize = 0;
    std::vector<uint8_t> pixels;  // B,G,R rows, top-down
    size_t openSequences = 0;     // marked-content sequences still open after the page

    // Red, green, blue of one pixel.
    void Rgb(int x, int y, int& r, int& g, int& b) const
    {
        const uint8_t* p = &pixels[static_cast<size_t>(y) * rowSize + 3 * x];
        b = p[0];
        g = p[1];
        r = p[2];
    }
    bool IsWhite(int x, int y) const
    {
        int r, g, b;
        Rgb(x, y, r, g, b);
        return r >= 250 && g >= 250 && b >= 250;
    }
    // Pixels in the device rectangle [x0, x1) x [y0, y1) that are not white.
    int CountInked(int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += IsWhite(x, y) ? 0 : 1;
        return n;
    }
    // Items whose text is the given single character.
    std::vector<const CTextItem*> ItemsOf(char16_t c) const
    {
        std::vector<const CTextItem*> out;
        for (const auto& it : items)
            if (!it.text.empty() && it.text[0] == c)
                out.push_back(&it);
        return out;
    }
};

// Renders pages `first`..`last` of a fixture with one device, as the
// converter does, and returns what each page left behind.
inline std::vector<CRenderedPage> RenderFixturePages(const std::string& name, int first, int last,
                                                     bool plainDevice = false)
{
    std::vector<CRenderedPage> out;
    CPdfLibrary library;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(FixturePath(name).c_str()));
    if (!doc->isOk())
        return out;
    std::vector<CTextItem> store;
    CTextCollector collector(ProcessFaceLookup(), store);
    std::unique_ptr<SplashOutputDev> device;
    CCaptureOutputDev* capture = nullptr;
    if (plainDevice) {
        static SplashColor white = {255, 255, 255, 0};
        device = std::make_unique<SplashOutputDev>(splashModeBGR8, 4, false, white, true);
        device->startDoc(doc.get());
    } else {
        auto own = std::make_unique<CCaptureOutputDev>(collector);
        own->startDoc(doc.get());
        capture = own.get();
        device = std::move(own);
    }
    for (int page = first; page <= last && page <= doc->getNumPages(); ++page) {
        doc->displayPage(device.get(), page, 96, 96, 0, false, true, false);
        CRenderedPage r;
        r.items = store;
        r.openSequences = capture ? capture->OpenMarkedContent().size() : 0;
        SplashBitmap* bitmap = device->getBitmap();
        r.width = bitmap->getWidth();
        r.height = bitmap->getHeight();
        r.rowSize = bitmap->getRowSize();
        r.pixels.assign(bitmap->getDataPtr(), bitmap->getDataPtr() + static_cast<size_t>(r.rowSize) * r.height);
        out.push_back(std::move(r));
    }
    device.reset();
    doc.reset();
    return out;
}

inline CRenderedPage RenderFixturePage(const std::string& name, int page = 1, bool plainDevice = false)
{
    auto pages = RenderFixturePages(name, page, page, plainDevice);
    return pages.empty() ? CRenderedPage{} : std::move(pages.front());
}
