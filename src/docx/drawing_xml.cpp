#include "docx/drawing_xml.h"

#include <algorithm>

#include "docx/run_xml.h"
#include "docx/xml_text.h"

namespace {

// Stacking of the anchored drawings: the picture lowest, text boxes above it.
constexpr int64_t kPictureZ = 0;
constexpr int64_t kTextBoxZ = 1024;

void AppendAnchorStart(std::string& out, int64_t z, bool locked)
{
    out += "<wp:anchor distT=\"0\" distB=\"0\" distL=\"0\" distR=\"0\" simplePos=\"0\" "
           "relativeHeight=\"";
    AppendInt(out, z);
    out += locked ? "\" behindDoc=\"1\" locked=\"1\"" : "\" behindDoc=\"1\" locked=\"0\"";
    out += " layoutInCell=\"1\" allowOverlap=\"1\"><wp:simplePos x=\"0\" y=\"0\"/>";
}

void AppendPlace(std::string& out, int64_t left, int64_t top, int64_t cx, int64_t cy)
{
    out += "<wp:positionH relativeFrom=\"page\"><wp:posOffset>";
    AppendInt(out, left * kEmuPerTwip);
    out += "</wp:posOffset></wp:positionH><wp:positionV relativeFrom=\"page\"><wp:posOffset>";
    AppendInt(out, top * kEmuPerTwip);
    out += "</wp:posOffset></wp:positionV><wp:extent cx=\"";
    AppendInt(out, cx);
    out += "\" cy=\"";
    AppendInt(out, cy);
    out += "\"/><wp:effectExtent l=\"0\" t=\"0\" r=\"0\" b=\"0\"/><wp:wrapNone/>";
}

void AppendExtent(std::string& out, int64_t cx, int64_t cy)
{
    out += "<a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"";
    AppendInt(out, cx);
    out += "\" cy=\"";
    AppendInt(out, cy);
    out += "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom>";
}

}  // namespace

void AppendPictureAnchor(std::string& out, CDrawingIds& ids, const std::string& relationId, const std::string& name,
                         int32_t widthTwips, int32_t heightTwips)
{
    const uint32_t id = ids.Next();
    const int64_t cx = std::max<int64_t>(widthTwips, 1) * kEmuPerTwip;
    const int64_t cy = std::max<int64_t>(heightTwips, 1) * kEmuPerTwip;
    out += "<w:r><w:drawing>";
    AppendAnchorStart(out, kPictureZ, true);
    AppendPlace(out, 0, 0, cx, cy);
    out += "<wp:docPr id=\"";
    AppendInt(out, id);
    out += "\" name=\"" + name + "\"/><wp:cNvGraphicFramePr><a:graphicFrameLocks noChangeAspect=\"1\"/>"
           "</wp:cNvGraphicFramePr><a:graphic><a:graphicData "
           "uri=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:pic><pic:nvPicPr><pic:cNvPr id=\"";
    AppendInt(out, id);
    out += "\" name=\"" + name + "\"/><pic:cNvPicPr/></pic:nvPicPr><pic:blipFill><a:blip r:embed=\"" + relationId +
           "\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill><pic:spPr>";
    AppendExtent(out, cx, cy);
    out += "</pic:spPr></pic:pic></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>";
}

void AppendTextBox(std::string& out, CDrawingIds& ids, const CTextRun& run, const CTextBox& box)
{
    const TextFlow flow = box.flow;
    const int64_t left = box.rect.left, top = box.rect.top, right = box.rect.right, bottom = box.rect.bottom;
    const int64_t cx = std::max<int64_t>(right - left, 1) * kEmuPerTwip;
    const int64_t cy = std::max<int64_t>(bottom - top, 1) * kEmuPerTwip;
    const uint32_t id = ids.Next();

    // Readers without the shape part may skip the box: the page keeps its picture.
    out += "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing>";
    AppendAnchorStart(out, kTextBoxZ + id, false);
    AppendPlace(out, left, top, cx, cy);
    out += "<wp:docPr id=\"";
    AppendInt(out, id);
    out += "\" name=\"Text Box ";
    AppendInt(out, id);
    out += "\"/><wp:cNvGraphicFramePr/><a:graphic><a:graphicData "
           "uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:wsp>"
           "<wps:cNvSpPr txBox=\"1\"/><wps:spPr>";
    AppendExtent(out, cx, cy);
    out += "<a:noFill/><a:ln><a:noFill/></a:ln></wps:spPr><wps:txbx><w:txbxContent><w:p><w:pPr><w:rPr>";
    out += "<w:sz w:val=\"";
    AppendInt(out, RunHalfPoints(run));
    out += "\"/></w:rPr></w:pPr>";
    AppendRunText(out, run);
    out += "</w:p></w:txbxContent></wps:txbx><wps:bodyPr rot=\"0\" vert=\"";
    out += flow == TextFlow::Upward ? "vert270" : flow == TextFlow::Downward ? "vert" : "horz";
    out += "\" wrap=\"none\" lIns=\"0\" tIns=\"0\" rIns=\"0\" bIns=\"0\" anchor=\"t\" anchorCtr=\"0\">"
           "<a:noAutofit/></wps:bodyPr></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing>"
           "</mc:Choice></mc:AlternateContent></w:r>";
}
