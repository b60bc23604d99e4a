#pragma once
// Opening a web link, a mail address, a folder or a file with the desktop's
// default program. Results follow the classic shell convention: above 32 is
// success; 2 = file not found, 31 = no program for it, anything else is an
// error number of its own.
#include <QString>
#include <functional>

constexpr int kLinkOpened = 33;

int OpenLink(const QString& target);

// "The specified file was not found." etc.; unknown results give
// "Unknown Error (%d) occurred.".
QString LinkErrorText(int result);

// Tests replace the desktop with a recorder; an empty function restores it.
using LinkOpener = std::function<int(const QString& target)>;
void SetLinkOpenerForTesting(LinkOpener opener);
// How long OpenLink waits for the desktop's answer before it counts the
// link as opened; tests shorten it. A negative value restores the default.
void SetLinkWaitForTesting(int milliseconds);

// The product's web page behind the banners and the About dialog's addresses.
inline const QString kProductWebPage = QStringLiteral("https://paperwell.example.org/");
inline const QString kSupportAddress = QStringLiteral("support@paperwell.example.org");
inline const QString kSalesAddress = QStringLiteral("sales@paperwell.example.org");
