#pragma once
// Reading a converted document back: LibreOffice makes a PDF of it, and the
// PDF is measured the same way as the original (page count and size, words
// in order, where each line starts).
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"

namespace readback {

inline bool HaveSoffice() { return std::system("command -v soffice >/dev/null 2>&1") == 0; }

inline int PageCount(const std::string& pdf)
{
    return std::atoi(RunShell("pdfinfo " + Quoted(pdf) + " | awk '/^Pages:/ {print $2}'").out.c_str());
}

// Width and height of the first page in points; false when pdfinfo cannot tell.
inline bool PageSize(const std::string& pdf, double& width, double& height)
{
    const ShellResult info = RunShell("pdfinfo " + Quoted(pdf) + " | grep 'Page size'");
    return std::sscanf(info.out.c_str(), "Page size: %lf x %lf", &width, &height) == 2;
}

inline std::string PageText(const std::string& pdf, int page)
{
    const std::string n = std::to_string(page);
    return RunShell("pdftotext -f " + n + " -l " + n + " " + Quoted(pdf) + " -").out;
}

inline std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

inline std::vector<std::string> PageWords(const std::string& pdf, int page) { return Words(PageText(pdf, page)); }

// Words as Latin letters and digits, counted: leader dots, punctuation and
// symbols may be spaced differently by the reader.
inline std::map<std::string, int> WordCounts(const std::string& text)
{
    std::map<std::string, int> counts;
    for (const std::string& token : Words(text)) {
        std::string word;
        for (char c : token)
            if (std::isalnum(static_cast<unsigned char>(c)))
                word.push_back(c);
        if (!word.empty())
            ++counts[word];
    }
    return counts;
}

// Share of the original page's words (counted with repeats) found on the
// read-back page.
inline double PageRecall(const std::string& original, const std::string& back, int page)
{
    const auto want = WordCounts(PageText(original, page));
    auto got = WordCounts(PageText(back, page));
    int total = 0, found = 0;
    for (const auto& [word, count] : want) {
        total += count;
        found += std::min(count, got[word]);
    }
    return total == 0 ? 1.0 : static_cast<double>(found) / total;
}

// Length of the longest common subsequence: how much of the reading order
// survived.
inline size_t CommonSubsequence(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<size_t> row(b.size() + 1, 0), next(b.size() + 1, 0);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j)
            next[j] = a[i - 1] == b[j - 1] ? row[j - 1] + 1 : std::max(row[j], next[j - 1]);
        std::swap(row, next);
    }
    return row[b.size()];
}

struct Glyph {
    double x, y;
    std::string text;
};

// The horizontal glyphs of a page, through the program's own diagnostic: the
// same measurement for the original and for LibreOffice's rendering.
inline std::vector<Glyph> PageGlyphs(const std::string& cli, const std::string& pdf, int page)
{
    const ShellResult dump = RunShell(Quoted(cli) + " --dump-items " + std::to_string(page) + " " + Quoted(pdf));
    std::vector<Glyph> glyphs;
    std::istringstream lines(dump.out);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (fields.size() < 13 || fields[4] != "0" || fields[12] == " ")
            continue;
        glyphs.push_back({std::stod(fields[0]), std::stod(fields[1]), fields[12]});
    }
    return glyphs;
}

// How far (in twips, the larger of the two axes) each horizontal line start
// of `original` landed in `back`; with `wordGapPx`, also every glyph that
// stands further than that from the one before it on its line. A start whose
// character is missing from the page counts as 1e9 twips away.
inline std::vector<double> LineStartOffsets(const std::string& cli, const std::string& original,
                                            const std::string& back, int pages, double wordGapPx = 0)
{
    std::vector<double> offsets;
    for (int page = 1; page <= pages; ++page) {
        const auto want = PageGlyphs(cli, original, page);
        const auto got = PageGlyphs(cli, back, page);
        for (size_t i = 0; i < want.size(); ++i) {
            const bool lineStart = i == 0 || std::fabs(want[i].y - want[i - 1].y) > 0.5 || want[i].x < want[i - 1].x ||
                                   (wordGapPx > 0 && want[i].x - want[i - 1].x > wordGapPx);
            if (!lineStart)
                continue;
            // The same character nearest to where it was.
            double best = 1e9, bestDx = 1e9, bestDy = 1e9;
            for (const Glyph& g : got) {
                const double d = std::hypot(g.x - want[i].x, g.y - want[i].y);
                if (g.text == want[i].text && d < best) {
                    best = d;
                    bestDx = g.x - want[i].x;
                    bestDy = g.y - want[i].y;
                }
            }
            offsets.push_back(std::max(std::fabs(bestDx), std::fabs(bestDy)) * 15);
        }
    }
    return offsets;
}

inline size_t CountWithin(const std::vector<double>& offsets, double twips)
{
    return static_cast<size_t>(std::count_if(offsets.begin(), offsets.end(), [&](double d) { return d <= twips; }));
}

// The colour of one pixel of page 1 rendered at 24 dpi, as r + g + b.
inline int PixelSum24Dpi(const std::string& pdf, int x, int y)
{
    const ShellResult ppm = RunShell("pdftoppm -r 24 -f 1 -l 1 -x " + std::to_string(x) + " -y " + std::to_string(y) +
                                     " -W 1 -H 1 " + Quoted(pdf) + " | tail -c 3 | od -An -tu1");
    std::istringstream rgb(ppm.out);
    int r = 255, g = 255, b = 255;
    rgb >> r >> g >> b;
    return r + g + b;
}

}  // namespace readback
