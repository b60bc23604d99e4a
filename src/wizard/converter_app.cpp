#include "wizard/converter_app.h"

#include <QApplication>
#include <QStringList>
#include <QStyleFactory>

#include "wizard/input_page.h"
#include "wizard/main_property_sheet.h"
#include "wizard/message_box.h"
#include "wizard/single_instance.h"

namespace {

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
