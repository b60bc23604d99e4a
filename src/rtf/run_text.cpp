#include "rtf/run_text.h"

#include "page/text_item.h"
#include "rtf/rtf_encoding.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_writer.h"

namespace {

// A glyph written by code carries its first two units packed, as captured.
uint32_t PackedFirstUnits(const std::u16string& text)
{
    if (text.empty() || text[0] == 0)
        return 0;
    return uint32_t(text[0]) | (text.size() > 1 ? uint32_t(text[1]) << 16 : 0);
}

std::string StyleFlags(const CTextPiece& piece)
{
    std::string flags;
    if (piece.bold)
        flags += "\\b";
    if (piece.italic)
        flags += "\\i";
    return flags;
}

void AppendPiece(const CTextPiece& piece, RunKind kind, TextMode mode, CRtfWriter& writer, std::string& out)
{
    const int colour = writer.ColorIndex(piece.color);
    const int font = writer.FontIndex(piece.face);
    const std::string text = PieceText(piece);
    const std::string flags = StyleFlags(piece);
    switch (kind) {
    case RunKind::Line:
        if (mode == TextMode::Flow) {
            AppendRtf(out, "\\fs", piece.halfPoints, "\\cf", colour, "\\f", font, flags, "\\charscalex",
                      piece.charScale, " {", text, "}");
            if (piece.bold)
                out += "\\b0";
            if (piece.italic)
                out += "\\i0";
        } else {
            AppendRtf(out, "{", flags, "\\f", font, "\\fs", piece.halfPoints, "\\cf", colour, "\\charscalex",
                      piece.charScale, " ", text, "}");
        }
        break;
    case RunKind::Box:
        AppendRtf(out, "\\fs", piece.halfPoints, flags, "\\f", font, "\\cf", colour, "\\strike0 ", text, "\\par");
        break;
    case RunKind::Up:
    case RunKind::Down:
        AppendRtf(out, "\\fs", piece.halfPoints, "\\charscalex", piece.charScale, " { ", flags, "\\f", font, "\\cf",
                  colour, " ", text, " \\par}");
        break;
    }
}

}  // namespace

std::string PieceText(const CTextPiece& piece)
{
    std::string raw;
    CTextItem glyph;
    for (const CTextSpan& span : piece.spans) {
        glyph.text = span.text;
        glyph.useCharCode = span.byCharCode ? 1 : 0;
        glyph.charCode = span.byCharCode ? PackedFirstUnits(span.text) : 0;
        AppendItemText(glyph, raw);
    }
    Escape(raw);
    return raw;
}

std::string RunRtf(const CTextRun& run, TextMode mode, CRtfWriter& writer)
{
    std::string out;
    for (const CTextPiece& piece : run.pieces)
        AppendPiece(piece, run.kind, mode, writer, out);
    return out;
}
