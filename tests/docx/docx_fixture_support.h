#pragma once
// A fixture PDF through the real page loop (render, capture, layout) into a
// .docx package, the way the conversion writes it.
#include <PDFDoc.h>

#include <memory>
#include <string>

#include <algorithm>

#include "conversion/document_pipeline.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "docx/docx_writer.h"

namespace docxtest {

struct CFixtureRun {
    TextMode mode = TextMode::Flow;
    bool deleteGraphics = true;
    int firstPage = 0;  // 0: every page
    int lastPage = 0;
    bool embedFonts = false;  // the PDF's own fonts go into the package
};

// 0 when `pdfPath` became a package at `outPath`; otherwise an errno of the
// package's opening, or -1.
inline int ConvertFixture(const std::string& pdfPath, const std::string& outPath, const CFixtureRun& run)
{
    CPdfLibrary library;
    COpenedPdf pdf;
    if (OpenPdfWithPassword(pdfPath, pdf, nullptr) == 0)
        return -1;
    const int pages = pdf.document->getNumPages();
    CDocxWriter writer;
    writer.SetEmbedFonts(run.embedFonts);
    int rc = writer.Open(outPath);
    if (rc)
        return rc;
    PageLoopJob job;
    job.document = pdf.document.get();
    job.firstPage = run.firstPage > 0 ? run.firstPage : 1;
    job.lastPage = run.lastPage > 0 ? std::min(run.lastPage, pages) : pages;
    job.mode = run.mode;
    job.withPictures = !run.deleteGraphics;
    job.name = "fixture.pdf";
    std::string message;
    return ConvertDocument(job, writer, message) == PageLoopResult::Done ? 0 : -1;
}

}  // namespace docxtest
