// Shape text boxes: runs that keep their exact place on the page (vertical
// text, overlaid text, large initials).
#include "rtf/rtf_format.h"
#include "rtf/rtf_writer.h"
#include "rtf/run_text.h"

int CRtfWriter::WriteTextBoxes(const CPage& page)
{
    for (const CTextBox& box : page.textBoxes)
        if (int rc = WriteTextBox(page.BoxRun(box), box))
            return rc;
    return 0;
}

int CRtfWriter::WriteTextBox(const CTextRun& run, const CTextBox& placed)
{
    const CBoxRect& box = placed.rect;
    const TextFlow flow = placed.flow;

    const std::string text = RunRtf(run, TextMode::Flow, *this);
    std::string shape;
    shape.reserve(900 + text.size());
    AppendRtf(shape, "{\\shp{\\*\\shpinst\\shpleft", box.left, "\\shptop", box.top, "\\shpright", box.right,
              "\\shpbottom", box.bottom);
    shape += "\\shpfhdr0\\shpbxpage\\shpbypage"
             "\\shpwr3\\shpwrk0\\shpfblwtxt1\\shpz0\\shplid26831"
             "{\\sp{\\sn shapeType}{\\sv 202}}"
             "{\\sp{\\sn fFlipH}{\\sv 0}}"
             "{\\sp{\\sn fFlipV}{\\sv 0}}"
             "{\\sp{\\sn fFilled}{\\sv 0}}"
             "{\\sp{\\sn fLine}{\\sv 0}}"
             "{\\sp{\\sn fAllowOverlap}{\\sv 1}}"
             "{\\sp{\\sn dxTextLeft}{\\sv 0}}"
             "{\\sp{\\sn dyTextTop}{\\sv 0}}"
             "{\\sp{\\sn dxTextRight}{\\sv 0}}"
             "{\\sp{\\sn dyTextBottom}{\\sv 0}}"
             "{\\sp{\\sn posrelh}{\\sv 1}}"
             "{\\sp{\\sn posrelv}{\\sv 1}}";
    AppendRtf(shape, "{\\sp{\\sn txflTextFlow}{\\sv ", static_cast<int>(flow), "}}");
    shape += "{\\sp{\\sn WrapText}{\\sv 1}}"
             "{\\sp{\\sn BehindDocument}{\\sv 1}}{\\shptxt\\pard\\plain\\li0\\adjustright\\faauto";
    shape += text;
    shape += "}}}";
    return WriteBody(shape);
}
