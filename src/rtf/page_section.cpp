// One page of the document: section break, page size, the page picture as a
// shape behind the text, then the page's text in the chosen mode.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "rtf/rtf_format.h"
#include "rtf/rtf_writer.h"

namespace {

// Picture bytes read (and turned into hex text) at a time.
constexpr size_t kPictureChunkBytes = 32 * 1024;
// Flow mode: the page's shapes (picture, text boxes) come before its first
// paragraph. LibreOffice gives shapes there a paragraph of their own, of the
// default line height, which would push every line of the page down by a
// line; an exact one-twip paragraph keeps the lines at their baselines.
// Readers that keep the shapes in the first paragraph ignore it.
constexpr const char* kShapeParagraph = "\\pard\\sl-1\\slmult0 ";

class CPictureFile {
public:
    explicit CPictureFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~CPictureFile() { if (fd_ >= 0) ::close(fd_); }
    CPictureFile(const CPictureFile&) = delete;
    CPictureFile& operator=(const CPictureFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

} // namespace

int CRtfWriter::PrintPage(const CPage& page)
{
    const int32_t pageWidth = page.PaperWidth();
    const int32_t pageHeight = page.PaperHeight();
    const bool flow = page.mode == TextMode::Flow;
    // The page's faces and colours get their numbers in the order the
    // collectors first used them, so the tables list them in that order.
    for (const std::string& face : page.facesInFirstUse)
        FontIndex(face);
    for (uint32_t color : page.colorsInFirstUse)
        ColorIndex(color);
    // Every page but the document's first starts a new section. Counting the
    // written pages (rather than comparing with the range's first number)
    // keeps a range that starts at 0, which the driver raises to 1, from
    // getting an empty first page.
    if (pagesWritten_ > 0) {
        if (int rc = WriteBody(RtfText("\\pard\\sect\\sectd\\sbkpage\\nosubsuper\\sectd\\pgwsxn", pageWidth,
                                       "\\pghsxn", pageHeight, "\\linex0\\endnhere\\sectlinegrid0\\sectspecifyl")))
            return rc;
    }
    ++pagesWritten_;
    if (int rc = WriteBody(RtfText("\\jexpand\\viewkind1\\viewscale100\\paperw", pageWidth, "\\paperh", pageHeight,
                                   "\\margl0\\margr0\\margt0\\margb0")))
        return rc;
    const bool pageHasShapes = !page.picturePath.empty() || !page.boxRuns.empty() || !page.upRuns.empty() ||
                               !page.downRuns.empty();
    if (flow && pageHasShapes) {
        if (int rc = WriteBody(kShapeParagraph))
            return rc;
    }
    if (int rc = WriteBackground(page))
        return rc;

    int rc = 0;
    if (flow) {
        rc = WriteTextBoxes(page);
        if (!rc)
            rc = WriteFlowLines(page);
    } else {
        rc = WriteFramedText(page);
    }
    // Flushing per page makes a full disk show on the page that hit it.
    if (!rc)
        rc = bodyFile_.Flush();
    return rc;
}

int CRtfWriter::WriteBackground(const CPage& page)
{
    if (page.picturePath.empty())
        return 0;
    CPictureFile picture(page.picturePath);
    if (picture.fd() < 0)
        return errno ? errno : ENOENT;
    // \shpfblwtxt1 (shape below text): readers that follow it rather than
    // fBehindDocument would otherwise paint the picture over the text.
    if (int rc = WriteBody(RtfText("{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright", page.widthTwips,
                                   "\\shpbottom", page.heightTwips,
                                   "\\shpwr3\\shpfblwtxt1\\shpz-10000\\shplid0{\\sp{\\sn shapeType}{\\sv 75}}"
                                   "{\\sp{\\sn fBehindDocument}{\\sv 1}}{\\sp{\\sn pib}{\\sv {\\pict\\jpegblip ")))
        return rc;
    static constexpr char kHexDigits[] = "0123456789abcdef";
    unsigned char chunk[kPictureChunkBytes];
    std::string hex;
    hex.reserve(2 * kPictureChunkBytes);
    for (;;) {
        ssize_t got = ::read(picture.fd(), chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        hex.clear();
        for (ssize_t i = 0; i < got; ++i) {
            hex.push_back(kHexDigits[chunk[i] >> 4]);
            hex.push_back(kHexDigits[chunk[i] & 0x0F]);
        }
        if (int rc = WriteBody(hex))
            return rc;
    }
    return WriteBody("}}}}}");
}
