#pragma once
// The printer of one file's document in the run's format: the .docx printer
// writes a .docx itself; for a .doc or an RTF the RTF writer does (the office
// step makes the .doc of it later, in the run).
#include <memory>
#include <string>

#include "page/page_printer.h"

class IConversionReceiver;

// Opens a printer on `path`. On failure shows "Cannot create file:" and the
// reason through the receiver and returns null.
std::unique_ptr<IPagePrinter> OpenDocumentPrinter(const std::string& path, IConversionReceiver* receiver);
