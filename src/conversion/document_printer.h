#pragma once
// The printer of one file's document in the run's format: the .docx printer
// writes a .docx itself; for a .doc or an RTF the RTF writer does (the office
// step makes the .doc of it later, in the run).
#include <memory>
#include <string>

#include "conversion/conversion_options.h"
#include "page/page_printer.h"

class IConversionReceiver;

// Opens a printer of `format` (a .docx, or the RTF of a .doc or an RTF) on
// `path`; `embedFonts` is the .docx printer's. On failure shows "Cannot create file:" and the
// reason through the receiver and returns null.
std::unique_ptr<IPagePrinter> OpenDocumentPrinter(const std::string& path, OutputFormat format, bool embedFonts,
                                                  IConversionReceiver* receiver);
