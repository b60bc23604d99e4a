#include "conversion/pdf_library.h"

#include <Error.h>
#include <GlobalParams.h>

#include <memory>

namespace {

long long drawingErrors = 0;
std::string lastDrawingError;

// Only the worker thread draws; the count is read between pages.
void OnLibraryError(ErrorCategory category, Goffset, const char* message)
{
    if (category != errSyntaxError && category != errIO && category != errInternal)
        return;
    ++drawingErrors;
    lastDrawingError = message ? message : "";
}

} // namespace

long long PdfDrawingErrorCount() { return drawingErrors; }

std::string LastPdfDrawingError() { return lastDrawingError; }

CPdfLibrary::CPdfLibrary()
{
    // The default constructor finds the CJK maps of poppler-data; an empty
    // data folder would lose them.
    globalParams = std::make_unique<GlobalParams>();
    globalParams->setupBaseFonts(nullptr);
    // The library's own diagnostics never reach the user's terminal; the
    // ones that spoil a drawing are counted (a damaged scan is logged).
    setErrorCallback(OnLibraryError);
    globalParams->setErrQuiet(false);
}

CPdfLibrary::~CPdfLibrary()
{
    globalParams.reset();
}
