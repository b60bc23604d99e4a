#pragma once
// Helpers shared by the RTF writer tests: glyph items, a receiver that keeps
// its messages, and a writer session on a real temporary file.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/receiver.h"
#include "page/page.h"
#include "layout/flow_plan.h"
#include "layout/printed_text.h"
#include "page/text_item.h"
#include "platform/temp_path.h"
#include "rtf/rtf_writer.h"

namespace rtftest {

inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// One glyph of a horizontal line: `x`, `y` in page pixels at 96 dpi.
inline CTextItem Glyph(char16_t ch, double x, double y, float width, float height, std::string face = "Times New Roman")
{
    CTextItem item;
    item.x = x;
    item.y = y;
    item.width = width;
    item.height = height;
    item.faceName = std::move(face);
    item.text = std::u16string(1, ch);
    item.textLength = 1;
    return item;
}

// Glyphs for `text`, each `advance` wide, one after the other from `x`.
inline std::vector<CTextItem> Word(const std::u16string& text, double x, double y, float advance, float height,
                                   const std::string& face = "Times New Roman")
{
    std::vector<CTextItem> items;
    for (char16_t ch : text) {
        items.push_back(Glyph(ch, x, y, advance, height, face));
        x += advance;
    }
    return items;
}

// The run with its printed text settled, as layout leaves it.
inline CTextRun Settled(CTextRun run, TextMode mode = TextMode::Flow)
{
    SettlePrintedText(run, PrintedOrderOf(run.kind, mode));
    return run;
}

class CMessageLog : public IConversionReceiver {
public:
    void Log(const std::string& line) override { lines.push_back(line); }
    void Progress(const char*, int) override {}
    int CollectSettings() override { return 0; }
    bool AskPassword(const std::string&, std::string&) override { return false; }
    void ShowMessage(const std::string& text, MessageKind kind) override
    {
        messages.push_back(text);
        kinds.push_back(kind);
    }
    std::vector<std::string> lines;
    std::vector<std::string> messages;
    std::vector<MessageKind> kinds;
};

// A writer's error messages as error message boxes of `log`.
inline CRtfWriter::MessageSink ErrorsInto(CMessageLog& log)
{
    return [&log](const std::string& text) { log.ShowMessage(text, MessageKind::Error); };
}

// An empty page of the given size (twips) in flow or frame mode.
inline CPage EmptyPage(int32_t width, int32_t height, bool flowMode = true)
{
    CPage page;
    page.number = 1;
    page.widthTwips = width;
    page.heightTwips = height;
    page.mode = flowMode ? TextMode::Flow : TextMode::Frames;
    return page;
}

// A piece of ASCII text in Arial (font 1 of every document), colour 0,
// unscaled; `codeUnit` adds one glyph written by character code.
inline CTextPiece Piece(const std::string& text, int32_t halfPoints = 24, char16_t codeUnit = 0)
{
    CTextPiece piece;
    piece.face = "Arial";
    piece.halfPoints = halfPoints;
    for (char c : text)
        piece.spans.push_back(CTextSpan{std::u16string(1, static_cast<char16_t>(c)), false});
    if (codeUnit)
        piece.spans.push_back(CTextSpan{std::u16string(1, codeUnit), true});
    return piece;
}

// The flow-mode RTF of Piece(text, halfPoints).
inline std::string FlowPiece(const std::string& text, int32_t halfPoints = 24)
{
    return "\\fs" + std::to_string(halfPoints) + "\\cf0\\f1\\charscalex100 {" + text + "}";
}

// The frame-mode RTF of Piece(text, halfPoints).
inline std::string FramePiece(const std::string& text, int32_t halfPoints = 24)
{
    return "{\\f1\\fs" + std::to_string(halfPoints) + "\\cf0\\charscalex100 " + text + "}";
}

// The body part of a finished document: what follows the information group,
// without the closing "\par}".
inline std::string BodyOf(const std::string& document)
{
    const std::string info = "{\\info{\\author Tarnwick}{\\company Tarnwick}}";
    size_t start = document.find(info);
    if (start == std::string::npos || document.size() < start + info.size() + 5)
        return {};
    start += info.size();
    return document.substr(start, document.size() - start - 5);
}

// The text of a document's first page: its body after the page's size and
// margins.
inline std::string PageTextOf(const std::string& document)
{
    const std::string body = BodyOf(document);
    const std::string margins = "\\margl0\\margr0\\margt0\\margb0";
    const size_t at = body.find(margins);
    return at == std::string::npos ? std::string() : body.substr(at + margins.size());
}

// `page` (its blocks or frames already made) planned and printed as the only
// page of a fresh document: the page's text, or "" when writing failed.
inline std::string PrintedPageText(CPage page)
{
    const std::string path = MakeTempPath();
    std::string text;
    {
        CRtfWriter writer;
        if (writer.OpenDocument(path)) {
            PlanPlaces(page);
            if (writer.PrintPage(page) == 0 && writer.Finish() == 0)
                text = PageTextOf(ReadWholeFile(path));
        }
    }
    std::remove(path.c_str());
    return text;
}

} // namespace rtftest
