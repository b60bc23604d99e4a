#include "rtf/run_text.h"

#include <utility>
#include <vector>

#include "page/units.h"
#include "rtf/rtf_encoding.h"
#include "rtf/rtf_format.h"
#include "rtf/rtf_writer.h"

namespace {

// A piece's control words, by name, in the order written.
using CWords = std::vector<std::pair<std::string, std::string>>;

// How a run's pieces are written: the words that set a piece's style, where
// they hold, and what follows its text.
struct CPieceForm {
    CWords words;             // before the text
    CWords after;             // after the text, in force for the next pieces
    bool groupLocal = false;  // the words stand inside the piece's group
    bool paragraph = false;   // the piece ends its paragraph
};

// A piece above or below the run's baseline (a superscript joined into its
// line): \up or \dn in half-points; empty on the baseline.
std::string RaiseWord(const CTextPiece& piece)
{
    const int32_t halfPoints = RoundedHalfPoints(piece.raise);
    if (halfPoints == 0)
        return {};
    return halfPoints > 0 ? RtfText("\\up", halfPoints) : RtfText("\\dn", -halfPoints);
}

CPieceForm FormOf(const CTextPiece& piece, RunKind kind, TextMode mode, int font, int colour)
{
    CPieceForm form;
    CWords& w = form.words;
    auto add = [&w](const char* name, std::string spelling) { w.emplace_back(name, std::move(spelling)); };
    auto flags = [&]() {
        if (piece.bold)
            add("b", "\\b");
        if (piece.italic)
            add("i", "\\i");
    };
    if (kind == RunKind::Box) {
        add("fs", RtfText("\\fs", piece.halfPoints));
        flags();
        add("f", RtfText("\\f", font));
        add("cf", RtfText("\\cf", colour));
        add("strike", "\\strike0");
        form.paragraph = true;
    } else if (mode == TextMode::Flow) {
        add("fs", RtfText("\\fs", piece.halfPoints));
        add("cf", RtfText("\\cf", colour));
        add("f", RtfText("\\f", font));
        flags();
        add("charscalex", RtfText("\\charscalex", piece.charScale));
        if (const std::string raise = RaiseWord(piece); !raise.empty()) {
            add("up", raise);
            form.after.emplace_back("up", "\\up0");
        }
        if (piece.bold)
            form.after.emplace_back("b", "\\b0");
        if (piece.italic)
            form.after.emplace_back("i", "\\i0");
    } else {
        flags();
        add("f", RtfText("\\f", font));
        add("fs", RtfText("\\fs", piece.halfPoints));
        add("cf", RtfText("\\cf", colour));
        add("charscalex", RtfText("\\charscalex", piece.charScale));
        if (const std::string raise = RaiseWord(piece); !raise.empty())
            add("up", raise);
        form.groupLocal = true;
    }
    return form;
}

std::string Spelled(const CWords& words)
{
    std::string s;
    for (const auto& [name, spelling] : words)
        s += spelling;
    return s;
}

// The style in force: a later word of a name replaces the earlier one in its
// place, a new name goes to the end.
void Apply(CWords& style, const CWords& words)
{
    for (const auto& [name, spelling] : words) {
        bool found = false;
        for (auto& entry : style)
            if (entry.first == name) {
                entry.second = spelling;
                found = true;
                break;
            }
        if (!found)
            style.emplace_back(name, spelling);
    }
}

std::string EncodedText(const CPrintedText& stretch)
{
    std::string text;
    AppendRtfText(text, stretch.text, stretch.byCharCode);
    return text;
}

// A run written in drawing order, one stretch per piece.
void AppendPiece(const CTextPiece& piece, const std::string& text, RunKind kind, TextMode mode, int font,
                 int colour, std::string& out)
{
    std::string flags;
    if (piece.bold)
        flags += "\\b";
    if (piece.italic)
        flags += "\\i";
    // Inside the piece's group, so that it ends with it.
    std::string raise = RaiseWord(piece);
    if (!raise.empty())
        raise += ' ';
    switch (kind) {
    case RunKind::Line:
        if (mode == TextMode::Flow) {
            AppendRtf(out, "\\fs", piece.halfPoints, "\\cf", colour, "\\f", font, flags, "\\charscalex",
                      piece.charScale, " {", raise, text, "}");
            if (piece.bold)
                out += "\\b0";
            if (piece.italic)
                out += "\\i0";
        } else {
            if (!raise.empty())
                raise.pop_back();
            AppendRtf(out, "{", flags, "\\f", font, "\\fs", piece.halfPoints, "\\cf", colour, "\\charscalex",
                      piece.charScale, raise, " ", text, "}");
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

// A run with right-to-left letters: its stretches in logical order, each
// group stating the style in force for its piece.
std::string LogicalRunRtf(const CTextRun& run, TextMode mode, const std::vector<int>& fonts,
                          const std::vector<int>& colours)
{
    // The style of each piece's text, and the one in force after it.
    std::vector<std::string> styleOf(run.pieces.size()), styleAfter(run.pieces.size());
    CWords outer;
    for (size_t p = 0; p < run.pieces.size(); ++p) {
        const CPieceForm form = FormOf(run.pieces[p], run.kind, mode, fonts[p], colours[p]);
        if (form.groupLocal) {
            CWords local = outer;
            Apply(local, form.words);
            styleOf[p] = Spelled(local);
        } else {
            Apply(outer, form.words);
            styleOf[p] = Spelled(outer);
            Apply(outer, form.after);
        }
        styleAfter[p] = Spelled(outer);
    }
    std::string out;
    bool open = false;
    const std::string* groupStyle = nullptr;
    bool groupRtl = false;
    auto close = [&]() {
        if (open)
            out += '}';
        open = false;
    };
    const bool paragraphs = run.kind == RunKind::Box;
    size_t next = 0;  // the stretch to write next
    for (size_t p = 0; p < run.pieces.size() || next < run.printed.size(); ++p) {
        // Pieces of their own paragraph take their stretches one piece at a
        // time; otherwise the whole line's stretches go in one pass.
        const size_t end = paragraphs ? next : run.printed.size();
        size_t last = end;
        if (paragraphs)
            while (last < run.printed.size() && run.printed[last].piece == p)
                ++last;
        for (; next < last; ++next) {
            const CPrintedText& stretch = run.printed[next];
            if (stretch.text.empty())
                continue;
            const std::string& style = styleOf[stretch.piece];
            if (!open || style != *groupStyle || stretch.rightToLeft != groupRtl) {
                close();
                out += '{';
                out += style;
                out += "\\rtlch";
                out += style;
                if (!stretch.rightToLeft)
                    out += "\\ltrch";
                out += ' ';
                groupStyle = &style;
                groupRtl = stretch.rightToLeft;
                open = true;
            }
            out += EncodedText(stretch);
        }
        if (!paragraphs) {
            close();
            break;
        }
        if (p >= run.pieces.size())
            break;
        close();
        out += styleAfter[p];
        out += "\\par";
    }
    close();
    if (!styleAfter.empty())
        out += styleAfter.back();
    return out;
}

}  // namespace

std::string RunRtf(const CTextRun& run, TextMode mode, CRtfWriter& writer)
{
    std::vector<int> fonts, colours;
    fonts.reserve(run.pieces.size());
    colours.reserve(run.pieces.size());
    for (const CTextPiece& piece : run.pieces) {
        // Colour first: the tables number them in the order asked.
        colours.push_back(writer.ColorIndex(piece.color));
        fonts.push_back(writer.FontIndex(piece.face));
    }
    if (run.hasRightToLeft)
        return LogicalRunRtf(run, mode, fonts, colours);
    std::string out;
    size_t next = 0;
    for (size_t p = 0; p < run.pieces.size(); ++p) {
        std::string text;
        for (; next < run.printed.size() && run.printed[next].piece == p; ++next)
            text += EncodedText(run.printed[next]);
        AppendPiece(run.pieces[p], text, run.kind, mode, fonts[p], colours[p], out);
    }
    return out;
}
