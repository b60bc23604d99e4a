#include "wizard/converter_app.h"

#include <QApplication>
#include <QStringList>
#include <QStyleFactory>
#include <cstdio>
#include <cstring>

#include "wizard/input_page.h"
#include "wizard/main_property_sheet.h"
#include "wizard/message_box.h"
#include "wizard/single_instance.h"

const char* const kWizardUsage =
    "Usage: paperwell [FILE.pdf...]\n"
    "Converts PDF files into Word documents that keep the look of the pages,\n"
    "in a desktop wizard. The files given are listed on its first page.\n"
    "\n"
    "Options:\n"
    "  -h, --help            this text\n"
    "      --version         the program's version\n"
    "\n"
    "One copy runs per user: starting another brings the first to the front.\n"
    "paperwell-cli converts from the command line.\n";

namespace {

// Answers --help and --version on the terminal, without a display. True
// when the program is done.
bool AnsweredOnTheTerminal(int argc, char** argv)
{
    if (argc != 2)
        return false;
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::fputs(kWizardUsage, stdout);
        return true;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("paperwell %s\n", PW_VERSION);
        return true;
    }
    return false;
}

// Files given on the command line ("Open with" in a file manager) are listed
// as if chosen with Add, under the same limit and duplicate rules.
void ListStartupFiles(CMainPropertySheet& sheet, const QStringList& files)
{
    if (files.isEmpty())
        return;
    CInputPage* input = sheet.InputPage();
    input->SetFileChooser([files](QWidget*, const QString&) { return files; });
    input->OnAdd();
    input->SetFileChooser({});
}

} // namespace

int RunConverterApp(int argc, char** argv)
{
    if (AnsweredOnTheTerminal(argc, argv))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(kProductTitle);
    QApplication::setApplicationVersion(QStringLiteral(PW_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("paperwell"));
    // One look on every desktop: the pages are laid out for it.
    if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(style);

    CSingleInstance instance(CSingleInstance::DefaultKey());
    CMainPropertySheet* sheetForProbe = nullptr;
    if (!instance.Claim([&sheetForProbe] {
            if (sheetForProbe)
                sheetForProbe->BringToFront();
        })) {
        // Another copy runs: it comes to the front if it answers; this one
        // ends either way, showing nothing.
        instance.ProbeRunningCopy();
        return 0;
    }

    CMainPropertySheet sheet(kProductTitle);
    sheetForProbe = &sheet;
    ListStartupFiles(sheet, QApplication::arguments().mid(1));
    sheet.exec();
    sheetForProbe = nullptr;
    return 0;
}
