#pragma once
// Writes one PDF's pages as a .docx package. Calling order: Open, then
// PrintPage per page, then Finish once. Each page's picture goes into the
// package when the page is printed; the page's XML goes to a temporary body
// file (removed from its folder as soon as it is opened, so nothing is left
// behind however the program ends) and is streamed into word/document.xml
// at Finish. Memory does not grow with the page count.
//
// Errors are errno values (0 = fine). After any failure, and when the writer
// is destroyed before Finish succeeded, the package file is removed (a
// regular file only: a device given as the path is left alone).
#include <ctime>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "docx/drawing_xml.h"
#include "docx/embedded_fonts.h"
#include "docx/zip_package.h"
#include "page/page_printer.h"

class CDocxWriter : public IPagePrinter {
public:
    CDocxWriter();
    ~CDocxWriter() override;
    CDocxWriter(const CDocxWriter&) = delete;
    CDocxWriter& operator=(const CDocxWriter&) = delete;

    // Creates (or truncates) the package at `path` and the body file. The
    // caller reports a failure ("Cannot create file:" and the reason).
    int Open(const std::string& path);
    int PrintPage(const CPage& page) override;
    int Finish() override;

    // Embeds the PDF's own fonts (before Open; off by default).
    void SetEmbedFonts(bool embed) { embedFonts_ = embed; }
    bool EmbedsDocumentFonts() const override { return embedFonts_; }
    std::string FontReport() const override { return fontReport_; }

private:
    int Fail(int error);
    int AddPicture(const CPage& page, std::string& relationId);
    void NoteFaces(const CPage& page);
    void NoteFace(const std::string& face);
    int WriteBody(const std::string& xml);
    int WriteDocumentPart();

    CZipPackage zip_;
    int bodyFd_ = -1;
    int error_ = 0;
    bool open_ = false;
    bool finished_ = false;
    std::time_t stamp_ = 0;
    int pages_ = 0;
    int lastPictureNumber_ = 0;
    CDrawingIds ids_;
    // The last page printed, held back until it is known whether another
    // page follows: a page's section ends in its last paragraph, but the
    // document's last section is the body's own.
    std::string heldPage_;
    size_t heldMarkEnd_ = 0;
    std::string heldSection_;
    std::vector<std::string> faces_;  // in first use, the default face first
    std::unordered_set<std::string> faceSet_;
    std::vector<std::pair<std::string, std::string>> pictures_;  // relationship id, target
    bool embedFonts_ = false;
    CFontEmbedder embedder_;
    std::string fontReport_;
};
