#include "rtf/rtf_writer.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

#include "page/face_kind.h"
#include "platform/system_error.h"
#include "platform/temp_path.h"
#include "rtf/rtf_encoding.h"
#include "rtf/rtf_format.h"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
// The face every document has as font 1.
constexpr const char* kDefaultFace = "Arial";
// Longest system text shown after "Cannot create file:".
constexpr size_t kMaxReasonChars = 1024;
// Bytes moved per read when the body is copied behind the header.
constexpr size_t kCopyChunkBytes = 64 * 1024;

} // namespace

CRtfWriter::CRtfWriter(MessageSink showError) : showError_(std::move(showError)) {}

CRtfWriter::~CRtfWriter()
{
    fontMap_.clear();
    colorMap_.clear();
    mainFile_.Close();
    bodyFile_.Close();
    // Both files are temporary; a missing one (OpenDocument failed first) is
    // no error worth reporting from a destructor.
    if (!bodyPath_.empty())
        ::unlink(bodyPath_.c_str());
    if (!rtfPath_.empty())
        ::unlink(rtfPath_.c_str());
}

bool CRtfWriter::ReportCreateFailure(int error)
{
    std::string reason = SystemErrorText(error);
    if (reason.size() > kMaxReasonChars)
        reason.resize(kMaxReasonChars);
    if (showError_)
        showError_("Cannot create file:" + reason);
    return false;
}

bool CRtfWriter::OpenDocument(const std::string& rtfPath)
{
    rtfPath_ = rtfPath;
    if (int rc = mainFile_.Create(rtfPath_, false))
        return ReportCreateFailure(rc);
    bodyPath_ = MakeTempPath();
    if (bodyPath_.empty())
        return ReportCreateFailure(ENOENT);
    if (int rc = bodyFile_.Create(bodyPath_, true)) {
        mainFile_.Close();
        return ReportCreateFailure(rc);
    }
    FontIndex(kDefaultFace);
    ColorIndex(kBlack);
    ColorIndex(kRed);
    ColorIndex(kBlue);
    return true;
}

int CRtfWriter::FontIndex(const std::string& face)
{
    // Names are stored as the table will show them, so two faces that only
    // differ in characters the table cannot hold share one number.
    std::string name = FontTableName(face);
    auto it = fontMap_.find(name);
    if (it != fontMap_.end())
        return it->second;
    ++fontCount_;
    fontMap_.emplace(std::move(name), fontCount_);
    return fontCount_;
}

int CRtfWriter::ColorIndex(uint32_t color)
{
    auto it = colorMap_.find(color);
    if (it != colorMap_.end())
        return it->second;
    int32_t number = colorCount_++;
    colorMap_.emplace(color, number);
    return number;
}

int CRtfWriter::WriteBody(std::string_view text)
{
    return bodyFile_.Write(text);
}

int CRtfWriter::WriteHeader()
{
    std::vector<const std::string*> faces(static_cast<size_t>(fontCount_) + 1, nullptr);
    for (const auto& [name, number] : fontMap_)
        faces[static_cast<size_t>(number)] = &name;
    std::vector<uint32_t> colors(static_cast<size_t>(colorCount_), 0);
    for (const auto& [value, number] : colorMap_)
        colors[static_cast<size_t>(number)] = value;

    std::string header = "{\\rtf\\ansi\\ansicpg1252\\deff0 {\\fonttbl";
    for (int32_t n = 1; n <= fontCount_; ++n) {
        // The family class, pitch, PANOSE and a face of the same kind, so
        // that a reader without the face substitutes one that looks alike.
        const std::string& face = *faces[static_cast<size_t>(n)];
        const CFaceKind kind = FaceKindOf(face);
        header += "{\\f" + std::to_string(n) + "\\f" + RtfFamilyWord(kind.faceClass) + "\\fcharset0";
        if (kind.pitch != 0)
            header += "\\fprq" + std::to_string(kind.pitch);
        if (!kind.panose.empty())
            header += "{\\*\\panose " + kind.panose + "}";
        header += "\\cpg1252 ";
        header += face;
        const std::string alt = FontTableName(kind.altName);
        if (!alt.empty())
            header += "{\\*\\falt " + alt + "}";
        header += ";}";
    }
    header += "}{\\colortbl";
    for (uint32_t value : colors)
        AppendRtf(header, "\\red", value & 0xFF, "\\green", (value >> 8) & 0xFF, "\\blue", (value >> 16) & 0xFF, ";");
    header += "}{\\*\\generator Paperwell;}{\\info{\\author Tarnwick}{\\company Tarnwick}}";
    return mainFile_.Write(header);
}

int CRtfWriter::FinishDocument()
{
    if (!mainFile_.IsOpen() || !bodyFile_.IsOpen())
        return EBADF;
    if (int rc = bodyFile_.Rewind())
        return rc;
    if (int rc = WriteHeader())
        return rc;
    std::string chunk(kCopyChunkBytes, '\0');
    for (;;) {
        ssize_t got = bodyFile_.Read(chunk.data(), chunk.size());
        if (got < 0)
            return static_cast<int>(-got);
        if (got == 0)
            break;
        if (int rc = mainFile_.Write(std::string_view(chunk.data(), static_cast<size_t>(got))))
            return rc;
    }
    if (int rc = mainFile_.Write("\\par}"))
        return rc;
    int rc = mainFile_.Close();
    bodyFile_.Close();
    return rc;
}
