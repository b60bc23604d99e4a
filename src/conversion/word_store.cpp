#include "conversion/word_store.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "conversion/receiver.h"
#include "office/office_suite.h"
#include "platform/file_copy.h"
#include "platform/system_error.h"
#include "platform/temp_path.h"

namespace {

constexpr int kWordFailed = -1;               // ConvertRtfWithWord: no Word document made
constexpr int kMaxCandidateNumber = 100000;   // gives up the name search after "(N)" this high

const char* OutputExtension(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Docx: return ".docx";
    case OutputFormat::Rtf: return ".rtf";
    case OutputFormat::Doc: break;
    }
    return ".doc";
}

// A file, folder or even a dangling link of that name counts as taken.
bool NameTaken(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string Candidate(const std::string& outputBase, int k, const char* extension)
{
    if (k == 0)
        return outputBase + extension;
    return outputBase + "(" + std::to_string(k) + ")" + extension;
}

} // namespace

int ConvertRtfWithWord(const std::string& rtfPath, const std::string& targetPath, OutputFormat format,
                       IConversionReceiver* receiver)
{
    const OfficeFormat office = format == OutputFormat::Docx ? OfficeFormat::Docx : OfficeFormat::Doc;
    switch (ConvertWithOffice(rtfPath, targetPath, office)) {
    case OfficeResult::Converted:
        return 0;
    case OfficeResult::OpenFailed:
        SendMessage(receiver, "Error opening word document file.", MessageKind::Error);
        return kWordFailed;
    case OfficeResult::NotAvailable:
    case OfficeResult::SaveFailed:
        break;
    }
    return kWordFailed;
}

bool StoreWordDocument(const std::string& documentPath, OutputFormat format, const std::string& outputBase,
                       const std::string& name, IConversionReceiver* receiver,
                       std::string& storedPath, std::string& message)
{
    storedPath.clear();
    message.clear();
    const char* extension = OutputExtension(format);

    // A .docx comes finished from the worker and an RTF is wanted as it is:
    // only a .doc goes through the office suite. The RTF itself is the
    // source when the suite could not make the .doc.
    std::string source = documentPath;
    std::string wordPath;
    if (format == OutputFormat::Doc) {
        wordPath = MakeTempPath();
        if (!wordPath.empty() && ConvertRtfWithWord(documentPath, wordPath, format, receiver) != kWordFailed)
            source = wordPath;
    }

    int k = 0;
    int error = EEXIST;
    std::string candidate;
    while (error == EEXIST && k <= kMaxCandidateNumber) {
        candidate = Candidate(outputBase, k++, extension);
        if (NameTaken(candidate))
            continue;
        error = CopyToNewFile(source, candidate);
    }

    if (error == 0) {
        storedPath = candidate;
    } else {
        message = name + " :Error - " + " " + std::to_string(error) + " " + SystemErrorText(error);
    }
    unlink(documentPath.c_str());
    if (!wordPath.empty())
        unlink(wordPath.c_str());
    return error == 0;
}

bool WordConverterInstalled()
{
    return OfficeSuiteInstalled();
}

void EndOfficeSession()
{
    EndOfficeInstance();
}
