#include "rtf/bidi_text.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/text_direction.h"

namespace {

constexpr char16_t kTab = 0x09;

// Control words that end a line's text rather than style it; the text on
// either side of one is ordered on its own.
bool IsBreakWord(std::string_view word)
{
    for (const char* w : {"par", "line", "column", "sect", "sectd", "pard", "page", "cell", "row"})
        if (word == w)
            return true;
    return false;
}

// Direction words of the input are dropped: the rewritten text sets its own.
bool IsDirectionWord(std::string_view word)
{
    return word == "rtlch" || word == "ltrch" || word == "rtlpar" || word == "ltrpar";
}

// The style in force: control words by name, in the order first set.
using CStyle = std::vector<std::pair<std::string, std::string>>;

std::string Spelled(const CStyle& style)
{
    std::string s;
    for (const auto& [word, spelling] : style)
        s += spelling;
    return s;
}

void SetWord(CStyle& style, const std::string& word, const std::string& spelling)
{
    for (auto& entry : style)
        if (entry.first == word) {
            entry.second = spelling;
            return;
        }
    style.emplace_back(word, spelling);
}

struct CToken {
    bool isBreak = false;
    char16_t unit = 0;        // the character (one UTF-16 unit)
    std::string spelling;     // as the input wrote it
    size_t style = 0;         // index into CParsedLine::styles
    std::string outerStyle;   // breaks: the style outside any group there
};

struct CParsedLine {
    std::vector<CToken> tokens;
    std::vector<std::string> styles;  // distinct spelled styles
    std::string outerStyle;           // outside any group at the end
};

class CLineParser {
public:
    explicit CLineParser(std::string_view rtf) : in_(rtf) { stack_.emplace_back(); }

    CParsedLine Parse()
    {
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '{') {
                stack_.push_back(stack_.back());
                ++pos_;
            } else if (c == '}') {
                if (stack_.size() > 1)
                    stack_.pop_back();
                ++pos_;
            } else if (c == '\\') {
                Control();
            } else {
                const auto byte = static_cast<unsigned char>(c);
                AddChar(static_cast<char16_t>(Windows1252ToUnicode(byte)), std::string(1, c));
                ++pos_;
            }
        }
        out_.outerStyle = OuterStyle();
        return std::move(out_);
    }

private:
    void Control()
    {
        const size_t start = pos_++;
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            if (c == '\\' || c == '{' || c == '}') {
                AddChar(static_cast<char16_t>(c), std::string(in_.substr(start, 2)));
            } else if (c == '\'' && pos_ + 2 <= in_.size()) {
                const std::string hex(in_.substr(pos_, 2));
                pos_ += 2;
                const auto byte = static_cast<unsigned char>(std::strtol(hex.c_str(), nullptr, 16));
                AddChar(static_cast<char16_t>(Windows1252ToUnicode(byte)), std::string(in_.substr(start, 4)));
            } else {
                AddBreak(std::string(in_.substr(start, 2)));
            }
            return;
        }
        size_t end = pos_;
        while (end < in_.size() && std::isalpha(static_cast<unsigned char>(in_[end])))
            ++end;
        const std::string word(in_.substr(pos_, end - pos_));
        size_t numberEnd = end;
        if (numberEnd < in_.size() && in_[numberEnd] == '-')
            ++numberEnd;
        while (numberEnd < in_.size() && std::isdigit(static_cast<unsigned char>(in_[numberEnd])))
            ++numberEnd;
        if (numberEnd == end + 1 && in_[end] == '-')
            numberEnd = end;  // a lone minus is text
        const std::string number(in_.substr(end, numberEnd - end));
        pos_ = numberEnd;
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;  // the delimiter belongs to the word
        if (word == "u" && !number.empty()) {
            // One fallback character follows; readers skip it.
            if (pos_ < in_.size() && in_[pos_] != '\\' && in_[pos_] != '{' && in_[pos_] != '}')
                ++pos_;
            const long value = std::strtol(number.c_str(), nullptr, 10);
            AddChar(static_cast<char16_t>(value & 0xFFFF), std::string(in_.substr(start, pos_ - start)));
        } else if (word == "tab") {
            AddChar(kTab, "\\tab ");
        } else if (IsBreakWord(word)) {
            AddBreak(std::string(in_.substr(start, pos_ - start)));
        } else if (IsDirectionWord(word)) {
            // dropped
        } else if (word == "plain") {
            stack_.back().clear();
            SetWord(stack_.back(), word, "\\plain");
        } else {
            SetWord(stack_.back(), word, "\\" + word + number);
        }
    }

    std::string OuterStyle() const { return Spelled(stack_.front()); }

    void AddChar(char16_t unit, std::string spelling)
    {
        CToken token;
        token.unit = unit;
        token.spelling = std::move(spelling);
        token.style = StyleIndex();
        out_.tokens.push_back(std::move(token));
    }

    void AddBreak(std::string spelling)
    {
        CToken token;
        token.isBreak = true;
        token.spelling = std::move(spelling);
        token.outerStyle = OuterStyle();
        out_.tokens.push_back(std::move(token));
    }

    // The index of the style in force among the line's distinct styles.
    size_t StyleIndex()
    {
        const std::string spelled = Spelled(stack_.back());
        if (lastStyle_ < out_.styles.size() && out_.styles[lastStyle_] == spelled)
            return lastStyle_;
        lastStyle_ = 0;
        while (lastStyle_ < out_.styles.size() && out_.styles[lastStyle_] != spelled)
            ++lastStyle_;
        if (lastStyle_ == out_.styles.size())
            out_.styles.push_back(spelled);
        return lastStyle_;
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::vector<CStyle> stack_;
    size_t lastStyle_ = 0;
    CParsedLine out_;
};


std::string SpellUnit(char16_t unit)
{
    if (unit == '\\' || unit == '{' || unit == '}')
        return std::string("\\") + static_cast<char>(unit);
    if (unit >= 0x20 && unit < 0x7F)
        return std::string(1, static_cast<char>(unit));
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\u%dx", static_cast<int>(static_cast<int16_t>(unit)));
    return buffer;
}

// The characters tokens[begin, end) written in logical order as styled
// groups. False when the bidirectional analysis fails.
bool AppendLogical(const CParsedLine& line, size_t begin, size_t end, bool rtlParagraph, std::string& out)
{
    if (begin == end)
        return true;
    std::u16string visual;
    visual.reserve(end - begin);
    for (size_t i = begin; i < end; ++i)
        visual.push_back(line.tokens[i].unit);

    UErrorCode status = U_ZERO_ERROR;
    UBiDi* bidi = ubidi_open();
    if (!bidi)
        return false;
    // Read the drawn order as if it were stored text: the order found is one
    // that the reader's own algorithm maps back onto the drawn order.
    ubidi_setReorderingMode(bidi, UBIDI_REORDER_INVERSE_LIKE_DIRECT);
    ubidi_setPara(bidi, reinterpret_cast<const UChar*>(visual.data()), static_cast<int32_t>(visual.size()),
                  rtlParagraph ? 1 : 0, nullptr, &status);
    std::vector<int32_t> order(visual.size(), -1);
    const UBiDiLevel* levels = nullptr;
    if (U_SUCCESS(status) && ubidi_getResultLength(bidi) == static_cast<int32_t>(visual.size()))
        ubidi_getVisualMap(bidi, order.data(), &status);
    if (U_SUCCESS(status))
        levels = ubidi_getLevels(bidi, &status);
    const bool ok = U_SUCCESS(status) && levels != nullptr;
    if (ok) {
        size_t groupStyle = 0;
        bool groupRtl = false, open = false;
        for (int32_t index : order) {
            if (index < 0)
                continue;
            const CToken& token = line.tokens[begin + static_cast<size_t>(index)];
            const bool rtl = (levels[index] & 1) != 0;
            if (!open || token.style != groupStyle || rtl != groupRtl) {
                if (open)
                    out += '}';
                const std::string& style = line.styles[token.style];
                // The style twice: the office suite keeps separate fonts and
                // sizes for right-to-left script (and for the digits and
                // blanks around it), set only after \rtlch.
                out += '{';
                out += style;
                out += "\\rtlch";
                out += style;
                if (!rtl)
                    out += "\\ltrch";
                out += ' ';
                groupStyle = token.style;
                groupRtl = rtl;
                open = true;
            }
            const UChar32 mirror = rtl ? u_charMirror(token.unit) : token.unit;
            if (mirror != token.unit && mirror <= 0xFFFF)
                out += SpellUnit(static_cast<char16_t>(mirror));
            else
                out += token.spelling;
        }
        if (open)
            out += '}';
    }
    ubidi_close(bidi);
    return ok;
}

}  // namespace

bool ContainsRightToLeft(std::string_view rtf)
{
    if (rtf.find("\\u") == std::string_view::npos)
        return false;  // letters of those scripts come only as \u
    const CParsedLine line = CLineParser(rtf).Parse();
    for (const CToken& token : line.tokens)
        if (!token.isBreak && IsRightToLeftChar(token.unit))
            return true;
    return false;
}

bool IsRightToLeftLine(std::string_view rtf)
{
    const CParsedLine line = CLineParser(rtf).Parse();
    CLineDirection direction;
    for (const CToken& token : line.tokens)
        if (!token.isBreak)
            direction.Add(token.unit);
    return direction.ReadsRightToLeft();
}

std::string LogicalOrderRtf(std::string_view rtf, bool rightToLeftParagraph)
{
    if (!ContainsRightToLeft(rtf))
        return std::string(rtf);
    const CParsedLine line = CLineParser(rtf).Parse();
    std::string out;
    out.reserve(rtf.size() * 2);
    size_t begin = 0;
    for (size_t i = 0; i <= line.tokens.size(); ++i) {
        if (i < line.tokens.size() && !line.tokens[i].isBreak)
            continue;
        if (!AppendLogical(line, begin, i, rightToLeftParagraph, out))
            return std::string(rtf);
        if (i < line.tokens.size()) {
            // The style outside the groups, as the input left it for the
            // paragraph mark that follows.
            out += line.tokens[i].outerStyle;
            out += line.tokens[i].spelling;
        }
        begin = i + 1;
    }
    out += line.outerStyle;
    return out;
}
