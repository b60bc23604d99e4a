#pragma once
// Writes one PDF's pages into one RTF document. The pages go into a body file
// first; FinishDocument writes header, font and colour tables, then the body.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "page/page.h"
#include "page/page_printer.h"
#include "rtf/rtf_file.h"

class CRtfWriter final : public IPagePrinter {
public:
    // Shows a message box's text to the user (the driver's receiver).
    using MessageSink = std::function<void(const std::string& text)>;
    // `showError` gets the message of a failed OpenDocument (may be empty).
    explicit CRtfWriter(MessageSink showError = {});
    ~CRtfWriter() override;
    CRtfWriter(const CRtfWriter&) = delete;
    CRtfWriter& operator=(const CRtfWriter&) = delete;

    bool OpenDocument(const std::string& rtfPath);
    // The document's font and colour tables: a face's or colour's number,
    // given the first time it is asked for.
    int FontIndex(const std::string& face);
    int ColorIndex(uint32_t color);

    // One page: section, picture, the page's text as its plan has it. 0, or
    // the errno of a failed picture read or body write.
    int PrintPage(const CPage& page) override;
    // Header, tables and body into the RTF file; 0 or the errno.
    int Finish() override { return FinishDocument(); }

    const std::string& RtfPath() const { return rtfPath_; }
    const std::string& BodyPath() const { return bodyPath_; }

private:
    int WriteBackground(const CPage& page);
    int FinishDocument();
    // Header, font table, colour table and generator group into the RTF file.
    int WriteHeader();

    // Frame mode.
    int WriteFramedText(const CPage& page);
    // One frame for `count` runs of one line, left to right; the later runs
    // at tab stops on their left edges.
    int WriteLineFrame(const CPage& page, const CTextRun* runs, size_t count);
    // One frame for consecutive lines of the page's line runs.
    int WriteFrameStack(const CPage& page, const CFrameStack& stack);

    // Either mode: the page's text boxes (flow: all of them; frames: the vertical runs).
    int WriteTextBoxes(const CPage& page);
    int WriteTextBox(const CTextRun& run, const CTextBox& box);
    // Flow mode: the page's flow plan.
    int WriteFlowLines(const CPage& page);

    // Appends to the body file; 0 or the errno of the failed write.
    int WriteBody(std::string_view text);

    MessageSink showError_;
    // Shows "Cannot create file:" with the reason; always false.
    bool ReportCreateFailure(int error);

    CRtfFile mainFile_;
    CRtfFile bodyFile_;
    std::string rtfPath_;
    std::string bodyPath_;
    int32_t pagesWritten_ = 0;  // pages begun in this document; decides the section breaks
    int32_t fontCount_ = 0;
    int32_t colorCount_ = 0;
    std::unordered_map<uint32_t, int32_t> colorMap_;
    std::unordered_map<std::string, int32_t> fontMap_;
};
