#include "docx/docx_writer.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "docx/package_parts.h"
#include "docx/page_body.h"
#include "docx/xml_text.h"
#include "platform/temp_path.h"

namespace {

// Bytes read at a time when the body file is copied into the package.
constexpr size_t kBodyChunkBytes = 256 * 1024;
// Room reserved for one page's XML; a page of text is rarely larger.
constexpr size_t kPageReserveBytes = 128 * 1024;

// The time the package records: SOURCE_DATE_EPOCH when set (reproducible
// documents), else now.
std::time_t PackageTime()
{
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        const long long value = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0' && value >= 0)
            return static_cast<std::time_t>(value);
    }
    return std::time(nullptr);
}

int WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno ? errno : EIO;
        }
        if (n == 0)
            return ENOSPC;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return 0;
}

}  // namespace

CDocxWriter::CDocxWriter() = default;

CDocxWriter::~CDocxWriter()
{
    if (!finished_)
        zip_.Abandon();
    if (bodyFd_ >= 0)
        ::close(bodyFd_);
}

int CDocxWriter::Fail(int error)
{
    if (!error_)
        error_ = error;
    zip_.Abandon();
    if (bodyFd_ >= 0) {
        ::close(bodyFd_);
        bodyFd_ = -1;
    }
    return error_;
}

int CDocxWriter::Open(const std::string& path)
{
    if (open_)
        return EBUSY;
    stamp_ = PackageTime();
    if (int rc = zip_.Create(path, stamp_))
        return rc;
    open_ = true;
    const std::string bodyPath = MakeTempPath();
    if (bodyPath.empty())
        return Fail(ENOENT);
    bodyFd_ = ::open(bodyPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (bodyFd_ < 0)
        return Fail(errno ? errno : EIO);
    // Out of its folder at once: the open descriptor keeps it until closed.
    ::unlink(bodyPath.c_str());
    NoteFace(kDefaultFace);
    if (int rc = zip_.AddEntry("[Content_Types].xml", ContentTypesXml(), true))
        return Fail(rc);
    if (int rc = zip_.AddEntry("_rels/.rels", PackageRelationshipsXml(), true))
        return Fail(rc);
    return 0;
}

void CDocxWriter::NoteFace(const std::string& face)
{
    if (!face.empty() && faceSet_.insert(face).second)
        faces_.push_back(face);
}

void CDocxWriter::NoteFaces(const CPage& page)
{
    for (const std::string& face : page.facesInFirstUse)
        NoteFace(face);
    // Every face a piece prints with is listed, whatever the page noted.
    for (const RunList* runs : {&page.lineRuns, &page.boxRuns, &page.upRuns, &page.downRuns})
        for (const CTextRun& run : *runs)
            for (const CTextPiece& piece : run.pieces) {
                if (!faceSet_.count(piece.face))
                    NoteFace(piece.face);
                if (embedFonts_ && piece.embedFamily >= 0)
                    embedder_.NoteFamily(piece.embedFamily, piece.face);
            }
}

int CDocxWriter::AddPicture(const CPage& page, std::string& relationId)
{
    relationId.clear();
    if (page.picturePath.empty())
        return 0;
    const int fd = ::open(page.picturePath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno ? errno : ENOENT;
    // Named after the PDF page; a number already used takes the next free one.
    const int number = page.number > lastPictureNumber_ ? page.number : lastPictureNumber_ + 1;
    lastPictureNumber_ = number;
    std::string name = "page";
    AppendInt(name, number);
    name += ".jpeg";
    // JPEG data does not deflate: stored as it is.
    const int rc = zip_.AddEntryFromFile("word/media/" + name, fd, false);
    ::close(fd);
    if (rc)
        return rc;
    relationId = "rIdPicture";
    AppendInt(relationId, number);
    pictures_.emplace_back(relationId, "media/" + name);
    return 0;
}

int CDocxWriter::WriteBody(const std::string& xml)
{
    return WriteAll(bodyFd_, xml.data(), xml.size());
}

int CDocxWriter::PrintPage(const CPage& page)
{
    if (error_)
        return error_;
    if (!open_ || finished_ || bodyFd_ < 0)
        return EBADF;
    std::string relationId;
    if (int rc = AddPicture(page, relationId))
        return Fail(rc);
    NoteFaces(page);

    std::string xml;
    xml.reserve(kPageReserveBytes);
    CPageBody body(page, xml);
    if (page.mode == TextMode::Frames)
        WriteFramePage(body, ids_, relationId);
    else
        WriteFlowPage(body, ids_, relationId);
    body.EnsureParagraph();

    // The page before ends its section in its last paragraph now that a
    // page follows it.
    if (pages_ > 0) {
        heldPage_.insert(heldMarkEnd_, heldSection_);
        if (int rc = WriteBody(heldPage_))
            return Fail(rc);
    }
    heldPage_ = std::move(xml);
    heldMarkEnd_ = body.LastMarkEnd();
    heldSection_ = body.SectionProperties();
    ++pages_;
    return 0;
}

int CDocxWriter::WriteDocumentPart()
{
    if (int rc = zip_.BeginEntry("word/document.xml", true))
        return rc;
    if (int rc = zip_.Write(DocumentStartXml()))
        return rc;
    if (::lseek(bodyFd_, 0, SEEK_SET) < 0)
        return errno;
    std::string chunk(kBodyChunkBytes, '\0');
    for (;;) {
        const ssize_t got = ::read(bodyFd_, chunk.data(), chunk.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno ? errno : EIO;
        }
        if (got == 0)
            break;
        if (int rc = zip_.Write(std::string_view(chunk.data(), static_cast<size_t>(got))))
            return rc;
    }
    // A document without pages still needs a paragraph.
    if (pages_ == 0) {
        if (int rc = zip_.Write("<w:p/>"))
            return rc;
    }
    if (int rc = zip_.Write(heldPage_))
        return rc;
    if (int rc = zip_.Write(DocumentEndXml(pages_ > 0 ? heldSection_ : "<w:sectPr/>")))
        return rc;
    return zip_.EndEntry();
}

int CDocxWriter::Finish()
{
    if (error_)
        return error_;
    if (!open_ || finished_ || bodyFd_ < 0)
        return EBADF;
    int rc = WriteDocumentPart();
    if (!rc)
        rc = zip_.AddEntry("word/_rels/document.xml.rels", DocumentRelationshipsXml(pictures_), true);
    if (!rc)
        rc = zip_.AddEntry("word/styles.xml", StylesXml(), true);
    if (!rc && embedFonts_)
        rc = embedder_.StoreFonts(zip_);
    const bool fonts = embedder_.StoredAny();
    if (!rc)
        rc = zip_.AddEntry("word/settings.xml", SettingsXml(fonts), true);
    if (!rc)
        rc = zip_.AddEntry("word/fontTable.xml", FontTableXml(faces_, embedder_.Families()), true);
    if (!rc && fonts)
        rc = zip_.AddEntry("word/_rels/fontTable.xml.rels", FontTableRelationshipsXml(embedder_.Families()), true);
    if (!rc)
        rc = zip_.AddEntry("docProps/core.xml", CorePropertiesXml(stamp_), true);
    if (!rc)
        rc = zip_.AddEntry("docProps/app.xml", AppPropertiesXml(pages_), true);
    if (!rc)
        rc = zip_.Close();
    if (rc)
        return Fail(rc);
    ::close(bodyFd_);
    bodyFd_ = -1;
    heldPage_.clear();
    heldPage_.shrink_to_fit();
    if (embedFonts_) fontReport_ = embedder_.Report();
    finished_ = true;
    return 0;
}
