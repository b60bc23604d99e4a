#include "wizard/converter_app.h"

#include <QApplication>
#include <QStyleFactory>

#include "wizard/main_property_sheet.h"
#include "wizard/message_box.h"
#include "wizard/single_instance.h"

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
    sheet.exec();
    sheetForProbe = nullptr;
    return 0;
}
