// --to-rtf: one PDF into one RTF file through the page loop, without the
// office step; shows the writer at work and times its stages.
#include <PDFDoc.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/option_table.h"
#include "conversion/document_pipeline.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "conversion/receiver.h"
#include "platform/file_copy.h"
#include "platform/system_error.h"
#include "platform/temp_path.h"
#include "rtf/rtf_writer.h"
#include "layout/text_audit.h"

namespace {

// Exit status of --check-text when a page's text differs.
constexpr int kTextDiffers = 3;

// Progress and messages of the diagnostic go to stderr, one line a page.
class CStderrReceiver final : public IConversionReceiver {
public:
    void Log(const std::string& line) override { std::fprintf(stderr, "%s\n", line.c_str()); }
    void Progress(const char* text, int percent) override
    {
        if (text && percent != kFileDoneProgress)
            std::fprintf(stderr, "%s (%d%%)\n", text, percent);
    }
    int CollectSettings() override { return 0; }
    bool AskPassword(const std::string&, std::string&) override { return false; }
    void ShowMessage(const std::string& text, MessageKind) override
    {
        std::fprintf(stderr, "paperwell-cli: %s\n", text.c_str());
    }
};

// UTF-16 as UTF-8 for the report (lone surrogates as U+FFFD).
std::string Utf8Of(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// --check-text: one line per page whose text differs, then the total.
int ReportAudit(const CPageTextAudit& audit, int pages)
{
    for (const auto& failure : audit.Failures())
        std::printf("page %d: missing %zu [%s] extra %zu [%s]\n", failure.page, failure.result.missing.size(),
                    Utf8Of(failure.result.missing).c_str(), failure.result.extra.size(),
                    Utf8Of(failure.result.extra).c_str());
    std::printf("checked %zu characters on %d pages: %zu pages differ\n", audit.CheckedCharacters(), pages,
                audit.Failures().size());
    return audit.Failures().empty() ? 0 : kTextDiffers;
}

int Fail(const std::string& text)
{
    std::fprintf(stderr, "paperwell-cli: %s\n", text.c_str());
    return 1;
}

const char* const kToRtfUsage =
    "Usage: paperwell-cli --to-rtf FILE.pdf OUT.rtf [--frames] [--delete-graphics] "
    "[--pages FROM-TO] [--timings] [--check-text] [--ocr[=LANGS]]\n";

// The page loop's job for the open document as the options ask for it.
PageLoopJob PagesJob(const CliOptions& options, PDFDoc* document, const std::string& pdfPath)
{
    PageLoopJob job;
    job.document = document;
    job.mode = options.frames ? TextMode::Frames : TextMode::Flow;
    job.withPictures = !options.deleteGraphics;
    job.name = pdfPath.substr(pdfPath.find_last_of('/') + 1);
    job.recogniseText = options.recogniseText;
    job.ocrLanguages = options.ocrLanguages;
    return job;
}

void PrintTimings(const PageLoopTimings& stageTimes)
{
    std::fprintf(stderr, "pages %d  render %.3f s  picture %.3f s  layout %.3f s  write %.3f s  recognise %.3f s\n",
                 stageTimes.pages, stageTimes.render, stageTimes.picture, stageTimes.layout, stageTimes.write,
                 stageTimes.recognise);
}

// The PDF into the RTF at `outPath`; the exit status.
int ConvertToRtf(const CliOptions& options, const std::string& pdfPath, const std::string& outPath)
{
    CStderrReceiver receiver;
    CPdfLibrary library;
    COpenedPdf pdf;
    if (OpenPdfWithPassword(pdfPath, pdf, nullptr) == 0)
        return Fail(pdfPath + ": cannot open PDF file (missing, damaged or encrypted)");
    PageLoopJob job = PagesJob(options, pdf.document.get(), pdfPath);
    const int pageCount = pdf.document->getNumPages();
    if (!PagesToConvert(pageCount, options.allPages, options.fromPage, options.toPage, job.firstPage, job.lastPage))
        return Fail("page range is outside the document's " + std::to_string(pageCount) + " pages");

    const std::string rtfPath = MakeTempPath();
    if (rtfPath.empty())
        return Fail("cannot create temporary file");
    CRtfWriter writer([&receiver](const std::string& text) { receiver.ShowMessage(text, MessageKind::Error); });
    if (!writer.OpenDocument(rtfPath))
        return Fail("cannot create the RTF file");

    PageLoopTimings stageTimes;
    CPageTextAudit audit;
    job.receiver = &receiver;
    job.timings = &stageTimes;
    if (options.checkText)
        job.textAudit = &audit;
    std::string message;
    int status = 0;
    if (ConvertDocument(job, writer, message) != PageLoopResult::Done) {
        status = Fail(message.empty() ? "stopped" : message);
    } else if (const int error = CopyToNewFile(rtfPath, outPath)) {
        status = Fail(outPath + ": " + SystemErrorText(error));
    } else if (options.checkText) {
        status = ReportAudit(audit, stageTimes.pages);
    }
    if (options.timings)
        PrintTimings(stageTimes);
    return status;
}

} // namespace

int RunToRtf(const std::vector<std::string>& args)
{
    CliOptions options;
    // Without --ocr scanned pages stay pictures.
    std::vector<std::string> positional;
    std::string error;
    if (!ParseCommandLine(kToRtfCommand, args, 1, options, positional, error)) {
        std::fprintf(stderr, "paperwell-cli: %s\n", error.c_str());
        return 2;
    }
    if (positional.size() != 2) {
        std::fputs(kToRtfUsage, stderr);
        return 2;
    }
    const std::string& pdfPath = positional[0];
    const std::string& outPath = positional[1];
    if (access(outPath.c_str(), F_OK) == 0)
        return Fail(outPath + " already exists; not replacing it");
    return ConvertToRtf(options, pdfPath, outPath);
}
