#include "conversion/pdf_library.h"

#include <GlobalParams.h>

#include <memory>

CPdfLibrary::CPdfLibrary()
{
    // The default constructor finds the CJK maps of poppler-data; an empty
    // data folder would lose them.
    globalParams = std::make_unique<GlobalParams>();
    globalParams->setupBaseFonts(nullptr);
    // The library's own diagnostics never reach the user.
    globalParams->setErrQuiet(true);
}

CPdfLibrary::~CPdfLibrary()
{
    globalParams.reset();
}
