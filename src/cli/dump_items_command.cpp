// --dump-items N FILE.pdf [--picture OUT.jpg]: renders one page through the
// capture device and prints the page text store as it stands after the
// render (before any filtering), one tab-separated line per item.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <ErrorCodes.h>
#include <PDFDoc.h>
#include <goo/GooString.h>
#include <splash/SplashBitmap.h>

#include "capture/capture_output_dev.h"
#include "capture/face_lookup.h"
#include "capture/text_collector.h"
#include "page/text_item.h"
#include "cli/cli_options.h"
#include "cli/commands.h"
#include "cli/option_table.h"
#include "conversion/page_picture.h"
#include "conversion/pdf_library.h"

namespace {

constexpr double kDumpDpi = 96;       // the resolution the converter renders at
constexpr int kPictureQuality = 100;  // JPEG quality the converter uses
constexpr int kExitUsage = 2;         // bad arguments
constexpr int kExitFailure = 1;       // the file or page cannot be dumped

const char* const kUsage = "usage: paperwell-cli --dump-items PAGE FILE.pdf [--picture OUT.jpg]";

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-8 of the item text; tab, line breaks and backslash are escaped so each
// item stays one line of one column, a lone surrogate becomes U+FFFD.
std::string TextColumn(const std::u16string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else
            AppendUtf8(out, c);
    }
    return out;
}

bool ParsePageNumber(const std::string& s, int& page)
{
    if (s.empty() || s.size() > 9)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    page = std::atoi(s.c_str());
    return page >= 1;
}

std::string OpenErrorText(const std::string& path, int code)
{
    switch (code) {
    case errOpenFile:
        return "cannot open " + path;
    case errEncrypted:
        return path + ": the document is encrypted and needs a password";
    case errDamaged:
        return path + ": damaged or not a PDF file";
    default:
        return path + ": cannot read the document (error " + std::to_string(code) + ")";
    }
}

void PrintItems(const std::vector<CTextItem>& items)
{
    std::printf("x\ty\twidth\theight\trotation\tbold\titalic\tcolor\tfaceName\tuseCharCode\tcharCode\t"
                "layoutMark\ttext\n");
    for (const CTextItem& item : items) {
        std::printf("%.2f\t%.2f\t%.2f\t%.2f\t%d\t%d\t%d\t%06X\t%s\t%d\t%u\t%d\t%s\n", item.x, item.y,
                    static_cast<double>(item.width), static_cast<double>(item.height), item.rotation, item.bold,
                    item.italic, item.color, item.faceName.c_str(), item.useCharCode, item.charCode,
                    item.layoutMark, TextColumn(item.text).c_str());
    }
}

// After a blank line, one line per PDF font the page used: its weight and
// slant with where each came from, the kind of face and the face its text
// got, with the reason.
void PrintFonts(const CTextCollector& collector)
{
    std::printf("\nfont\tweight\tbold\titalic\tweightFrom\tslantFrom\tclass\tface\treason\n");
    for (const CFontDecision& font : collector.FontDecisions()) {
        const CFontStyle& style = font.style;
        std::printf("%s\t%d\t%d\t%d\t%s\t%s\t%s\t%s\t%s\n", font.pdfName.empty() ? "-" : font.pdfName.c_str(),
                    style.weight, style.bold != 0 ? 1 : 0, style.italic != 0 ? 1 : 0,
                    StyleSourceName(style.weightSource), StyleSourceName(style.slantSource),
                    RtfFamilyWord(style.faceClass), font.face.c_str(), FaceReasonName(font.reason));
    }
}

}  // namespace

int RunDumpItems(const std::vector<std::string>& args)
{
    // args[0] is "--dump-items" itself.
    CliOptions options;
    std::vector<std::string> positional;
    std::string error;
    if (!ParseCommandLine(kDumpItemsCommand, args, 1, options, positional, error)) {
        std::fprintf(stderr, "paperwell-cli: %s\n%s\n", error.c_str(), kUsage);
        return kExitUsage;
    }
    if (positional.size() != 2) {
        std::fprintf(stderr, "%s\n", kUsage);
        return kExitUsage;
    }
    int pageNumber = 0;
    if (!ParsePageNumber(positional[0], pageNumber)) {
        std::fprintf(stderr, "paperwell-cli: bad page number '%s'\n%s\n", positional[0].c_str(), kUsage);
        return kExitUsage;
    }
    const std::string& path = positional[1];
    const std::string& picturePath = options.picturePath;

    // Destroyed in reverse order: device, document, library parameters.
    CPdfLibrary library;
    auto doc = std::make_unique<PDFDoc>(std::make_unique<GooString>(path.c_str()));
    if (!doc->isOk()) {
        std::fprintf(stderr, "paperwell-cli: %s\n", OpenErrorText(path, doc->getErrorCode()).c_str());
        return kExitFailure;
    }
    const int pageCount = doc->getNumPages();
    if (pageNumber > pageCount) {
        std::fprintf(stderr, "paperwell-cli: page %d is out of range: %s has %d page%s\n", pageNumber,
                     path.c_str(), pageCount, pageCount == 1 ? "" : "s");
        return kExitFailure;
    }

    std::vector<CTextItem> items;
    CTextCollector collector(ProcessFaceLookup(), items);
    auto device = std::make_unique<CCaptureOutputDev>(collector);
    device->startDoc(doc.get());
    doc->displayPage(device.get(), pageNumber, kDumpDpi, kDumpDpi, 0, false, true, false);
    PrintItems(items);
    PrintFonts(collector);
    std::fflush(stdout);

    int status = 0;
    if (!picturePath.empty()) {
        SplashBitmap* bitmap = device->getBitmap();
        CBitmapInfoHeader header;
        header.biWidth = bitmap ? bitmap->getWidth() : 0;
        header.biHeight = bitmap ? bitmap->getHeight() : 0;
        std::string error;
        const int rc = SaveBitmapAsJpeg(bitmap ? bitmap->getDataPtr() : nullptr, header, kPictureQuality,
                                        picturePath, &error);
        if (rc != kJpegOk) {
            std::fprintf(stderr, "paperwell-cli: cannot save the picture %s: %s (%d)\n", picturePath.c_str(),
                         error.empty() ? std::strerror(errno) : error.c_str(), rc);
            status = kExitFailure;
        }
    }
    device.reset();
    doc.reset();
    return status;
}
