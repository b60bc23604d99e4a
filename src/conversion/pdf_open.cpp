#include "conversion/pdf_open.h"

#include <algorithm>

#include <optional>

#include <goo/GooString.h>
#include <PDFDoc.h>
#include <Stream.h>

#include "conversion/receiver.h"

namespace {

constexpr int kMaxPasswordAttempts = 5;   // prompts per file before giving up
constexpr int kEncryptedError = 4;        // the library's "passwords did not open it"

std::unique_ptr<PDFDoc> OpenDocument(const std::string& path, const std::optional<GooString>& ownerPassword,
                                     const std::optional<GooString>& userPassword)
{
    return std::make_unique<PDFDoc>(std::make_unique<GooString>(path), ownerPassword, userPassword);
}

int ErrorCodeOf(const PDFDoc& document)
{
    return document.isOk() ? 0 : document.getErrorCode();
}

bool IsAscii(const std::string& text)
{
    for (unsigned char c : text)
        if (c >= 0x80)
            return false;
    return true;
}

// The Latin-1 bytes of UTF-8 text; nothing when the text holds a character
// beyond U+00FF or is not valid UTF-8.
std::optional<std::string> Utf8ToLatin1(const std::string& text)
{
    std::string latin1;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            latin1 += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size()
                   && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            latin1 += static_cast<char>(((c & 0x03) << 6) | (text[i + 1] & 0x3F));
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return latin1;
}

// One attempt with the typed password. AES-256 files take the password as
// UTF-8, the older RC4/AES-128 ones as Latin-1 bytes; the library converts
// neither, so a non-ASCII password is tried both ways.
std::unique_ptr<PDFDoc> OpenWithTypedPassword(const std::string& path,
                                              const std::optional<GooString>& ownerPassword,
                                              const std::string& typed)
{
    auto document = OpenDocument(path, ownerPassword, GooString(typed));
    if (ErrorCodeOf(*document) != kEncryptedError || IsAscii(typed))
        return document;
    if (auto latin1 = Utf8ToLatin1(typed)) {
        auto retry = OpenDocument(path, ownerPassword, GooString(*latin1));
        if (ErrorCodeOf(*retry) != kEncryptedError)
            return retry;
    }
    return document;
}

} // namespace

std::string PasswordAttemptLine(int attempt)
{
    const char* suffix = "th";
    if (attempt == 1)
        suffix = "st";
    else if (attempt == 2)
        suffix = "nd";
    else if (attempt == 3)
        suffix = "rd";
    return "Trying password for " + std::to_string(attempt) + suffix + " of 5 times.";
}

int OpenPdfWithPassword(const std::string& path, COpenedPdf& out, IConversionReceiver* receiver,
                        const std::vector<std::string>& firstTries, std::string* openedWith)
{
    out = COpenedPdf {};
    if (openedWith)
        openedWith->clear();
    const std::optional<GooString> ownerPassword(GooString(""));
    auto document = OpenDocument(path, ownerPassword, GooString(""));
    int errorCode = ErrorCodeOf(*document);
    std::string password;

    for (const std::string& known : firstTries) {
        if (errorCode != kEncryptedError)
            break;
        if (known.empty())
            continue;
        document.reset();
        document = OpenWithTypedPassword(path, ownerPassword, known);
        errorCode = ErrorCodeOf(*document);
        password = known;
    }

    // Files converted alongside may have opened with passwords since this one
    // started: those are tried before the user is asked, as in a run in turn.
    if (errorCode == kEncryptedError && receiver != nullptr) {
        for (const std::string& known : receiver->RunPasswordsNow()) {
            if (errorCode != kEncryptedError)
                break;
            if (known.empty() || std::find(firstTries.begin(), firstTries.end(), known) != firstTries.end())
                continue;
            document.reset();
            document = OpenWithTypedPassword(path, ownerPassword, known);
            errorCode = ErrorCodeOf(*document);
            password = known;
        }
    }

    for (int attempt = 1; errorCode == kEncryptedError && attempt <= kMaxPasswordAttempts; ++attempt) {
        std::string typed;
        // Without a front end nobody can answer; that counts as giving up.
        if (receiver == nullptr || !receiver->AskPassword(PasswordAttemptLine(attempt), typed))
            break;
        document.reset();
        document = OpenWithTypedPassword(path, ownerPassword, typed);
        errorCode = ErrorCodeOf(*document);
        password = typed;
    }

    // A failed document has no catalog: nothing but its destruction is safe.
    if (errorCode != 0)
        return 0;
    if (openedWith)
        *openedWith = password;
    out.fileSize = document->getBaseStream()->getLength();
    out.document = std::move(document);
    return 1;
}
