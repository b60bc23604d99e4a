#include "conversion/document_printer.h"

#include "conversion/receiver.h"
#include "docx/docx_writer.h"
#include "platform/system_error.h"
#include "rtf/rtf_writer.h"

namespace {

// Longest system text shown after "Cannot create file:" (as the RTF writer's).
constexpr size_t kMaxReasonChars = 1024;

} // namespace

std::unique_ptr<IPagePrinter> OpenDocumentPrinter(const std::string& path, OutputFormat format, bool embedFonts,
                                                  IConversionReceiver* receiver)
{
    if (format == OutputFormat::Docx) {
        auto docx = std::make_unique<CDocxWriter>();
        docx->SetEmbedFonts(embedFonts);
        if (const int error = docx->Open(path); error != 0) {
            std::string reason = SystemErrorText(error);
            if (reason.size() > kMaxReasonChars)
                reason.resize(kMaxReasonChars);
            SendMessage(receiver, "Cannot create file:" + reason, MessageKind::Error);
            return nullptr;
        }
        return docx;
    }
    // The RTF writer shows its own message when it cannot create the file.
    auto rtf = std::make_unique<CRtfWriter>(
        [receiver](const std::string& text) { SendMessage(receiver, text, MessageKind::Error); });
    if (!rtf->OpenDocument(path))
        return nullptr;
    return rtf;
}
