#include "conversion/batch_driver.h"

#include <GlobalParams.h>
#include <PDFDoc.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "capture/capture_output_dev.h"
#include "capture/text_item.h"
#include "conversion/page_loop.h"
#include "conversion/pdf_library.h"
#include "conversion/pdf_open.h"
#include "conversion/receiver.h"
#include "conversion/settings.h"
#include "conversion/stop_gate.h"
#include "conversion/word_store.h"
#include "platform/disk_space.h"
#include "platform/system_error.h"
#include "platform/temp_path.h"
#include "platform/utf16_length.h"
#include "rtf/rtf_writer.h"

namespace {

// Room the run's page pictures need in the temporary folder.
constexpr uint64_t kPictureSpaceKib = 5120;
// Longest output base (folder + name) whose ".doc" names still fit the
// classic 260-unit path buffer with a "(k)" suffix.
constexpr size_t kMaxOutputBaseUnits = 251;

// The run's picture file goes away on every way out of the run.
class CPictureFile {
public:
    explicit CPictureFile(std::string path) : path_(std::move(path)) {}
    ~CPictureFile() { if (!path_.empty()) unlink(path_.c_str()); }
    const std::string& Path() const { return path_; }
private:
    std::string path_;
};

// Everything one file owns, destroyed device first, then the document, then
// the library parameters, whatever path leaves the file.
struct CFileObjects {
    std::unique_ptr<CRtfWriter> writer;
    std::unique_ptr<CCaptureOutputDev> device;
    COpenedPdf pdf;
    std::unique_ptr<CPdfLibrary> library;

    ~CFileObjects() { Release(); }
    void Release()
    {
        writer.reset();
        device.reset();
        pdf.document.reset();
        library.reset();
    }
};

enum class FileOutcome { Converted, Failed, StopRun, AbortRun };

struct FileNames {
    std::string name;        // base name + ".pdf"
    std::string outputBase;  // sub-folder + "/" + base name
};

FileNames NamesOf(const std::string& path)
{
    const std::string base = std::filesystem::path(path).stem().string();
    return {base + ".pdf", g_outputSubfolder + "/" + base};
}

FileOutcome ConvertOneFile(const std::string& path, const std::string& picturePath,
                           IConversionReceiver* receiver)
{
    const FileNames names = NamesOf(path);
    const std::string& N = names.name;
    if (Utf16Length(names.outputBase) > kMaxOutputBaseUnits) {
        const std::string line = N + " :File name too long. Rename with shorter name and try again.";
        SendLog(receiver, line);
        SendProgress(receiver, line.c_str(), 0);
        return FileOutcome::Failed;
    }
    const std::string started = N + " :Conversion started...";
    SendLog(receiver, started);
    SendProgress(receiver, started.c_str(), 0);

    int first = 0, last = 0;
    if (g_settings.allPages == 0) {
        first = g_settings.fromPage;
        last = g_settings.toPage;
        if (first > last || first < 0 || last < 0) {
            SendLog(receiver, N + " :Page range is incorrect. Please try again.");
            return FileOutcome::Failed;
        }
    }

    CFileObjects file;
    file.library = std::make_unique<CPdfLibrary>();
    if (OpenPdfWithPassword(path, file.pdf, receiver) == 0) {
        SendLog(receiver, N + " :Error - Cannot open PDF file.");
        return FileOutcome::Failed;
    }
    if (StopRequested())
        return FileOutcome::StopRun;

    const std::string rtfPath = MakeTempPath();
    const uint64_t rtfSpaceKib = 2 * (static_cast<uint64_t>(file.pdf.fileSize) / 1024);
    if (HasFreeSpace(rtfPath, rtfSpaceKib) == 0) {
        SendLog(receiver, "Error : Low disk space.");
        return FileOutcome::AbortRun;
    }
    file.writer = std::make_unique<CRtfWriter>(receiver);
    if (!file.writer->OpenDocument(rtfPath)) {
        SendLog(receiver, "Error : Cannot create new file.");
        return FileOutcome::AbortRun;
    }

    const int pageCount = file.pdf.document->getNumPages();
    if (g_settings.allPages == 0) {
        first = std::max(first, 1);
        last = std::min(last, pageCount);
    } else {
        first = 1;
        last = pageCount;
    }
    if (first > last) {
        SendLog(receiver, N + " :Page range is incorrect. Please try again.");
        return FileOutcome::Failed;
    }

    file.device = std::make_unique<CCaptureOutputDev>();
    file.device->startDoc(file.pdf.document.get());

    PageLoopJob job;
    job.document = file.pdf.document.get();
    job.device = file.device.get();
    job.writer = file.writer.get();
    job.firstPage = first;
    job.lastPage = last;
    job.name = N;
    job.picturePath = picturePath;
    job.receiver = receiver;
    std::string message;
    const PageLoopResult pages = ConvertPages(job, message);
    bool fileOk = pages == PageLoopResult::Done;

    ClearPageText();
    if (pages == PageLoopResult::Stopped || StopRequested())
        return FileOutcome::StopRun;

    if (fileOk) {
        const int error = file.writer->FinishDocument();
        if (error != 0) {
            message = N + " :Error - " + SystemErrorText(error);
            fileOk = false;
        }
    }
    std::string storedPath;
    if (fileOk)
        fileOk = StoreWordDocument(rtfPath, names.outputBase, N, receiver, storedPath, message);

    if (fileOk) {
        SendLog(receiver, N + " :Conversion complete.");
        SendProgress(receiver, nullptr, 100);
        SendLog(receiver, N + " :Saved as " + storedPath);
        g_convertedFiles.push_back(storedPath);
        file.Release();
        SendProgress(receiver, nullptr, kFileDoneProgress);
    } else {
        SendLog(receiver, message);
        file.Release();
    }
    // Give the pages' memory back before the next file.
    malloc_trim(0);
    return fileOk ? FileOutcome::Converted : FileOutcome::Failed;
}

int ConvertBatch(IConversionReceiver* receiver, bool frameMode)
{
    g_convertedFiles.clear();
    int runResult = 1;

    CPictureFile picture(MakeTempPath());
    const std::string& picturePath = picture.Path();
    if (picturePath.find('/', 1) == std::string::npos) {
        SendLog(receiver, "Error : Cannot create temporary file.");
        return 0;
    }
    if (HasFreeSpace(picturePath, kPictureSpaceKib) == 0) {
        SendLog(receiver, "Error : Low disk space.");
        return 0;
    }

    for (const std::string& path : g_inputPaths) {
        // Flow mode notices a stop before opening the next file; frame mode
        // only after opening it.
        if (!frameMode && StopRequested())
            return 1;
        switch (ConvertOneFile(path, picturePath, receiver)) {
        case FileOutcome::Converted:
            break;
        case FileOutcome::Failed:
            runResult = 0;
            break;
        case FileOutcome::StopRun:
            return 1;
        case FileOutcome::AbortRun:
            return 0;
        }
    }
    return runResult;
}

} // namespace

int ConvertBatchFlow(IConversionReceiver* receiver) { return ConvertBatch(receiver, false); }

int ConvertBatchFrames(IConversionReceiver* receiver) { return ConvertBatch(receiver, true); }
