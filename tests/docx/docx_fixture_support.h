#pragma once
// A fixture PDF through the real page loop (render, capture, layout) into a
// .docx package, the way the conversion writes it.
#include <PDFDoc.h>

#include <memory>
#include <string>

#include "capture/capture_output_dev.h"
#include "conversion/page_loop.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "conversion/settings.h"
#include "docx/docx_writer.h"
#include "page/text_item.h"
#include "platform/temp_path.h"

namespace docxtest {

struct CFixtureRun {
    TextMode mode = TextMode::Flow;
    bool deleteGraphics = true;
    int firstPage = 0;  // 0: every page
    int lastPage = 0;
};

// 0 when `pdfPath` became a package at `outPath`; otherwise an errno or -1.
inline int ConvertFixture(const std::string& pdfPath, const std::string& outPath, const CFixtureRun& run)
{
    g_settings.writeTextInTextBoxes = run.mode == TextMode::Frames ? 1 : 0;
    g_settings.deleteAllGraphics = run.deleteGraphics ? 1 : 0;
    CPdfLibrary library;
    COpenedPdf pdf;
    if (OpenPdfWithPassword(pdfPath, pdf, nullptr) == 0)
        return -1;
    const int pages = pdf.document->getNumPages();
    const std::string picturePath = MakeTempPath();
    CDocxWriter writer;
    int rc = writer.Open(outPath);
    if (rc)
        return rc;
    auto device = std::make_unique<CCaptureOutputDev>();
    device->startDoc(pdf.document.get());
    PageLoopJob job;
    job.document = pdf.document.get();
    job.device = device.get();
    job.printer = &writer;
    job.firstPage = run.firstPage > 0 ? run.firstPage : 1;
    job.lastPage = run.lastPage > 0 ? std::min(run.lastPage, pages) : pages;
    job.name = "fixture.pdf";
    job.picturePath = picturePath;
    std::string message;
    const PageLoopResult result = ConvertPages(job, message);
    ClearPageText();
    ::unlink(picturePath.c_str());
    if (result != PageLoopResult::Done)
        return -1;
    return writer.Finish();
}

}  // namespace docxtest
