#pragma once
// Helpers of the .docx printer tests: pages made by hand, a writer run on a
// real temporary file, and the package read back with the zip reader and
// with python-docx.
#include <minizip/unzip.h>

#include <cstdio>
#include <string>
#include <vector>

#include "docx/docx_writer.h"
#include "layout/flow_plan.h"
#include "layout/printed_text.h"
#include "platform/temp_path.h"

namespace docxtest {

inline CTextPiece Piece(const std::u16string& text, std::string face = "Liberation Serif", int32_t halfPoints = 24)
{
    CTextPiece piece;
    piece.face = std::move(face);
    piece.halfPoints = halfPoints;
    piece.spans.push_back(CTextSpan{text, false});
    return piece;
}

// A horizontal run with one piece, its box from the baseline and size.
inline CTextRun LineRun(const std::u16string& text, int32_t left, int32_t baseline, int32_t width = 1000,
                    int32_t size = 240, RunKind kind = RunKind::Line)
{
    CTextRun run;
    run.kind = kind;
    run.pieces.push_back(Piece(text, "Liberation Serif", size / 10));
    run.face = run.pieces[0].face;
    run.left = left;
    run.right = left + width;
    run.bottom = baseline;
    run.top = baseline - size;
    run.width = width;
    run.size = size;
    run.lineHeight = static_cast<uint32_t>(size);
    run.lastSize = size;
    return run;
}

inline CPage LetterPage(TextMode mode, int number = 1)
{
    CPage page;
    page.number = number;
    page.widthTwips = 12241;
    page.heightTwips = 15841;
    page.mode = mode;
    return page;
}

// A one-column block of the given runs (flow mode).
inline CRunBlock OneColumn(const RunList& runs, int32_t pageWidth = 12241)
{
    CRunBlock block;
    CRunColumn column;
    column.runs = runs;
    column.boundary = 0;
    column.width = pageWidth;
    block.columns.push_back(column);
    block.endBaseline = runs.empty() ? 0 : runs.back().bottom;
    return block;
}

// One single-line frame stack per run (frame mode).
inline void StackEveryRun(CPage& page)
{
    for (size_t i = 0; i < page.lineRuns.size(); ++i) {
        CFrameStack stack;
        stack.left = page.lineRuns[i].left;
        stack.top = page.lineRuns[i].top;
        CFrameLine line;
        line.first = i;
        line.count = 1;
        line.left = stack.left;
        line.top = stack.top;
        line.bottom = page.lineRuns[i].bottom;
        stack.lines.push_back(line);
        page.frameStacks.push_back(stack);
    }
}

// The entries of a zip file by name, empty when it cannot be read.
struct CZipEntries {
    bool ok = false;
    std::vector<std::pair<std::string, std::string>> entries;  // in file order

    const std::string* Find(const std::string& name) const
    {
        for (const auto& [n, data] : entries)
            if (n == name)
                return &data;
        return nullptr;
    }
};

inline CZipEntries ReadZip(const std::string& path)
{
    CZipEntries result;
    unzFile zip = unzOpen64(path.c_str());
    if (!zip)
        return result;
    bool ok = unzGoToFirstFile(zip) == UNZ_OK;
    while (ok) {
        char name[512];
        unz_file_info64 info{};
        ok = unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK &&
             unzOpenCurrentFile(zip) == UNZ_OK;
        if (!ok)
            break;
        std::string data;
        char buffer[65536];
        int got;
        while ((got = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            data.append(buffer, static_cast<size_t>(got));
        // Closing checks the entry's CRC.
        ok = got == 0 && unzCloseCurrentFile(zip) == UNZ_OK;
        if (!ok)
            break;
        result.entries.emplace_back(name, std::move(data));
        const int next = unzGoToNextFile(zip);
        if (next == UNZ_END_OF_LIST_OF_FILE) {
            result.ok = true;
            break;
        }
        ok = next == UNZ_OK;
    }
    unzClose(zip);
    return result;
}

// Runs `command` and returns what it printed; `status` its exit status.
inline std::string RunCommand(const std::string& command, int& status)
{
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return out;
    }
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    status = ::pclose(pipe);
    return out;
}

// The paragraphs python-docx reads from the package (text boxes and frames
// included: it reads every w:p of the body), one a line; `status` 0 when the
// package opened and every part is well-formed XML.
inline std::string PythonDocxParagraphs(const std::string& path, int& status)
{
    return RunCommand("/usr/bin/python3 " PW_SOURCE_DIR "/tests/docx/read_docx.py '" + path + "' 2>&1", status);
}

// Writes `pages` into a package at a fresh temporary path; the path, or
// empty with `error` set.
inline std::string WritePackage(const std::vector<CPage>& pages, int& error)
{
    const std::string path = MakeTempPath() + ".docx";
    CDocxWriter writer;
    error = writer.Open(path);
    for (CPage page : pages) {
        // Pages made by hand: their text settled as layout would.
        SettlePageText(page);
        for (CRunBlock& block : page.blocks)
            for (CRunColumn& column : block.columns)
                for (CTextRun& run : column.runs)
                    SettlePrintedText(run, PrintedOrderOf(run.kind, page.mode));
        PlanPlaces(page);
        if (!error)
            error = writer.PrintPage(page);
    }
    if (!error)
        error = writer.Finish();
    return error ? std::string() : path;
}

inline std::string DocumentXml(const std::string& path)
{
    const CZipEntries zip = ReadZip(path);
    const std::string* document = zip.Find("word/document.xml");
    return document ? *document : std::string();
}

inline size_t Count(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

}  // namespace docxtest
