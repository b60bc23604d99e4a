// Shape text boxes: runs that keep their exact place on the page (vertical
// text, overlaid text, large initials).
#include <cstdio>

#include "rtf/bidi_text.h"
#include "rtf/rtf_writer.h"

namespace {
constexpr int kFlowDownward = 1;
constexpr int kFlowUpward = 2;
}

int CRtfWriter::WriteTextBox(CTextRun& run, int flow)
{
    // Room for one more line in the direction the text runs on.
    const int32_t extra = static_cast<int32_t>(run.lineHeight);
    if (flow == kFlowUpward)
        run.top -= extra;
    else if (flow == kFlowDownward)
        run.bottom += extra;
    else
        run.right += extra;

    char head[160];
    std::snprintf(head, sizeof head, "{\\shp{\\*\\shpinst\\shpleft%d\\shptop%d\\shpright%d\\shpbottom%d",
                  run.left, run.top, run.right, run.bottom);
    char flowProperty[48];
    std::snprintf(flowProperty, sizeof flowProperty, "{\\sp{\\sn txflTextFlow}{\\sv %d}}", flow);

    std::string shape;
    shape.reserve(900 + run.rtfText.size());
    shape += head;
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
    shape += flowProperty;
    shape += "{\\sp{\\sn WrapText}{\\sv 1}}"
             "{\\sp{\\sn BehindDocument}{\\sv 1}}{\\shptxt\\pard\\plain\\li0\\adjustright\\faauto";
    // Horizontal text in logical order; vertical text keeps its glyph order.
    shape += flow == 0 ? LogicalOrderRtf(run.rtfText, false) : run.rtfText;
    shape += "}}}";
    return WriteBody(shape);
}
