#pragma once
// Opens a PDF, asking the receiver for the user password up to five times.
#include <memory>
#include <string>
#include <vector>

class PDFDoc;
class IConversionReceiver;

struct COpenedPdf {
    std::unique_ptr<PDFDoc> document;
    long long fileSize = 0;   // bytes of the opened file
};

// 1 and a usable document in `out`; 0 and an empty `out` otherwise. The
// library's process-wide parameters must exist before the call. An encrypted
// file is first tried with each of `firstTries` (no prompt, not counted as an
// attempt); `openedWith`, when given, gets the password that opened it.
int OpenPdfWithPassword(const std::string& path, COpenedPdf& out, IConversionReceiver* receiver,
                        const std::vector<std::string>& firstTries = {}, std::string* openedWith = nullptr);

// "Trying password for 1st of 5 times." for attempt 1, and so on.
std::string PasswordAttemptLine(int attempt);
