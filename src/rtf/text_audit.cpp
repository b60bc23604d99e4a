#include "rtf/text_audit.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include <unicode/uchar.h>

#include "platform/code_page.h"

namespace {

constexpr char16_t kNoBreakSpace = 0xA0;
constexpr char16_t kFirstC1 = 0x80;
constexpr char16_t kDelete = 0x7F;

// Blanks and control characters carry no word.
bool Counted(char16_t unit)
{
    return unit > u' ' && unit != kDelete && !(unit >= kFirstC1 && unit <= kNoBreakSpace);
}

void AppendCounted(char16_t unit, std::u16string& out)
{
    if (Counted(unit))
        out.push_back(unit);
}

// Right-to-left lines store a drawn bracket as its mirror image, the bracket
// that reads so: the two of a mirrored pair count as one character.
void FoldMirrored(std::u16string& text)
{
    for (char16_t& unit : text) {
        const UChar32 mirror = u_charMirror(unit);
        if (mirror < unit)
            unit = static_cast<char16_t>(mirror);
    }
}

// Groups whose content is no page text: picture data, shape properties,
// tables and document information.
bool SkippedDestination(std::string_view word)
{
    static constexpr std::string_view kSkipped[] = {"pict", "sn", "sv", "fonttbl", "colortbl",
                                                    "stylesheet", "info", "generator"};
    return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class CRtfTextReader {
public:
    explicit CRtfTextReader(std::string_view rtf) : rtf_(rtf) {}

    std::u16string Read()
    {
        skip_.push_back(false);
        while (pos_ < rtf_.size()) {
            const char c = rtf_[pos_];
            if (c == '{') {
                ++pos_;
                skip_.push_back(skip_.back());
                groupStart_ = true;
            } else if (c == '}') {
                ++pos_;
                if (skip_.size() > 1)
                    skip_.pop_back();
                groupStart_ = false;
            } else if (c == '\\') {
                Control();
            } else {
                ++pos_;
                groupStart_ = false;
                Emit(Windows1252ToUnicode(static_cast<unsigned char>(c)));
            }
        }
        return out_;
    }

private:
    void Emit(char32_t c)
    {
        if (pendingFallback_ > 0) {
            --pendingFallback_;
            return;
        }
        if (!skip_.back() && c <= 0xFFFF)
            AppendCounted(static_cast<char16_t>(c), out_);
    }

    void Control()
    {
        ++pos_;  // the backslash
        if (pos_ >= rtf_.size())
            return;
        const char c = rtf_[pos_];
        const bool atGroupStart = groupStart_;
        groupStart_ = false;
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++pos_;
            if (c == '\'') {
                int hi = pos_ < rtf_.size() ? HexValue(rtf_[pos_]) : -1;
                int lo = pos_ + 1 < rtf_.size() ? HexValue(rtf_[pos_ + 1]) : -1;
                if (hi >= 0 && lo >= 0) {
                    pos_ += 2;
                    Emit(Windows1252ToUnicode(static_cast<unsigned char>(hi * 16 + lo)));
                }
            } else if (c == '*') {
                starred_ = atGroupStart;
                groupStart_ = atGroupStart;
            } else if (c == '\\' || c == '{' || c == '}') {
                Emit(static_cast<unsigned char>(c));
            } else if (c == '_') {
                Emit(u'-');
            } else if (c == '~') {
                Emit(kNoBreakSpace);
            }
            return;
        }
        const size_t start = pos_;
        while (pos_ < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[pos_])))
            ++pos_;
        const std::string_view word = rtf_.substr(start, pos_ - start);
        long param = 0;
        bool hasParam = false;
        const size_t numberStart = pos_;
        if (pos_ < rtf_.size() && (rtf_[pos_] == '-' || std::isdigit(static_cast<unsigned char>(rtf_[pos_])))) {
            ++pos_;
            while (pos_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[pos_])))
                ++pos_;
            param = std::strtol(std::string(rtf_.substr(numberStart, pos_ - numberStart)).c_str(), nullptr, 10);
            hasParam = true;
        }
        if (pos_ < rtf_.size() && rtf_[pos_] == ' ')
            ++pos_;
        if (atGroupStart && (SkippedDestination(word) || (starred_ && word != "shpinst")))
            skip_.back() = true;
        starred_ = false;
        if (word == "u" && hasParam) {
            if (pendingFallback_ > 0)
                pendingFallback_ = 0;
            const char16_t unit = static_cast<char16_t>(static_cast<unsigned long>(param) & 0xFFFF);
            if (!skip_.back())
                AppendCounted(unit, out_);
            pendingFallback_ = 1;
        } else if (pendingFallback_ > 0) {
            // A control word stands in for the fallback character.
            --pendingFallback_;
        }
    }

    std::string_view rtf_;
    size_t pos_ = 0;
    std::vector<bool> skip_;
    bool groupStart_ = false;
    bool starred_ = false;
    int pendingFallback_ = 0;
    std::u16string out_;
};

} // namespace

std::u16string ItemCharacters(const std::vector<CTextItem>& items)
{
    std::u16string out;
    for (const CTextItem& item : items) {
        if (item.useCharCode) {
            for (char16_t unit : item.text)
                AppendCounted(unit, out);
        } else {
            for (char byte : Utf16ToWindows1252(item.text))
                AppendCounted(static_cast<char16_t>(Windows1252ToUnicode(static_cast<unsigned char>(byte))), out);
        }
    }
    return out;
}

std::u16string RtfVisibleText(std::string_view rtf) { return CRtfTextReader(rtf).Read(); }

CTextAuditResult CompareCharacters(std::u16string expected, std::u16string written)
{
    FoldMirrored(expected);
    FoldMirrored(written);
    std::sort(expected.begin(), expected.end());
    std::sort(written.begin(), written.end());
    CTextAuditResult result;
    std::set_difference(expected.begin(), expected.end(), written.begin(), written.end(),
                        std::back_inserter(result.missing));
    std::set_difference(written.begin(), written.end(), expected.begin(), expected.end(),
                        std::back_inserter(result.extra));
    return result;
}

const CTextAuditResult& CPageTextAudit::CheckPage(int pageNumber, std::string_view pageRtf)
{
    checked_ += expected_.size();
    last_ = CompareCharacters(std::move(expected_), RtfVisibleText(pageRtf));
    expected_.clear();
    if (!last_.Clean())
        failures_.push_back({pageNumber, last_});
    return last_;
}
