#pragma once
// What one conversion is asked to make: the value the front end fills and
// hands down to the file's conversion, into the worker process and its page
// loop. Two conversions with different options never see each other's.
#include <cstdint>
#include <string>

#include "page/text_run.h"

// Output format of the store step, chosen in the wizard or on the command line.
enum class OutputFormat { Doc, Docx, Rtf };

// The picture resolutions the wizard offers, and the range the command line
// accepts.
constexpr int32_t kScreenPictureDpi = 96;
constexpr int32_t kPrintPictureDpi = 150;
constexpr int32_t kHighPictureDpi = 300;
constexpr int32_t kMinPictureDpi = 48;
constexpr int32_t kMaxPictureDpi = 600;

struct ConversionOptions {
    TextMode textMode = TextMode::Flow;
    bool deleteGraphics = false;       // true: no page picture
    bool allPages = true;              // false: fromPage..toPage
    int32_t fromPage = 0;
    int32_t toPage = 0;
    // Scanned pages get their text (their own text layer, or recognised).
    bool recogniseText = false;
    std::string ocrLanguages = "eng";  // the recognition's languages, '+' between them
    // Dots per inch of the page picture; the text is captured at 96 dpi.
    int32_t pictureDpi = kScreenPictureDpi;
    OutputFormat format = OutputFormat::Doc;
    // A .docx carries the PDF's own fonts unless the user leaves them out.
    bool embedFonts = true;

    bool operator==(const ConversionOptions&) const = default;
};
