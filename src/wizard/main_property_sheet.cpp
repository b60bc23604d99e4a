#include "wizard/main_property_sheet.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>

#include "conversion/settings.h"
#include "wizard/about_dlg.h"
#include "wizard/input_page.h"
#include "wizard/link_opener.h"
#include "wizard/message_box.h"
#include "wizard/page_colour.h"
#include "wizard/progress_page.h"
#include "wizard/setting_page.h"
#include "wizard/skin_button.h"
#include "wizard/wizard_artwork.h"

namespace {

// Cancel sits a little further from Next than the button row would put it.
constexpr int kCancelShift = 11;
// The About button's square in the bottom-left corner, in pixels.
constexpr int kAboutLeft = 10;
constexpr int kAboutBottomGap = 5;
constexpr int kAboutSide = 35;
const QColor kAboutHoverText(0, 0, 128);
const QString kHelpFileName = QStringLiteral("Paperwell.html");

} // namespace

CMainPropertySheet::CMainPropertySheet(const QString& title, QWidget* parent) : CPropertySheet(title, parent)
{
    input_ = new CInputPage;
    settings_ = new CSettingPage;
    progress_ = new CProgressPage;
    AddPage(input_);
    AddPage(settings_);
    AddPage(progress_);
    progress_->SetSettingsCollector([this] { return OnCollectSettings(); });

    RegisterWizardArtwork();
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addFile(QStringLiteral(":/icon_%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint);

    QPushButton* cancel = Button(WizardButton::Cancel);
    cancel->move(cancel->x() + kCancelShift, cancel->y());

    about_ = new CSkinButton(this);
    about_->setObjectName(QString::number(kAboutButtonId));
    about_->setGeometry(kAboutLeft, height() - kAboutBottomGap - kAboutSide, kAboutSide, kAboutSide);
    about_->SetImages(QStringLiteral(":/bitmap_147.png"), kPageColour, QStringLiteral(":/bitmap_146.png"),
                      kPageColour);
    about_->SetDrawBorder(false);
    about_->SetColour(CSkinButton::kBackgroundOver, kPageColour);
    about_->SetColour(CSkinButton::kBackgroundNormal, kPageColour);
    about_->SetColour(CSkinButton::kBackgroundFocus, kPageColour);
    about_->SetColour(CSkinButton::kTextOver, kAboutHoverText);
    about_->SetTooltipText(QStringLiteral("About Paperwell..."), true);
    about_->setAutoDefault(false);
    connect(about_, &QPushButton::clicked, this, &CMainPropertySheet::ShowAboutDialog);

    // Alt+H is help and Alt+C closes (through the page's question), from
    // anywhere in the wizard; one key press, one action.
    auto* help = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_H), this);
    help->setAutoRepeat(false);
    connect(help, &QShortcut::activated, this, [this] { OnHelp(); });
    auto* close = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_C), this);
    close->setAutoRepeat(false);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

int CMainPropertySheet::OnCollectSettings()
{
    g_inputPaths = input_->PathList();
    g_inputNames.clear();
    g_inputNames.insert(g_inputNames.end(), input_->FileArray().begin(), input_->FileArray().end());
    g_settings.outputFolder = input_->OutputFolder().trimmed().toStdString();
    g_settings.writeTextInTextBoxes = settings_->FrameModeChoice() != 0 ? 1 : 0;
    g_settings.deleteAllGraphics = settings_->DeleteGraphics() != 0 ? 1 : 0;
    g_settings.allPages = settings_->AllPages() != 0 ? 1 : 0;
    g_settings.fromPage = settings_->FirstPage();
    g_settings.toPage = settings_->LastPage();
    g_settings.recogniseText = settings_->RecogniseText() != 0 ? 1 : 0;
    g_settings.ocrLanguages = settings_->OcrLanguages();
    g_settings.pictureDpi = settings_->PictureDpi();
    g_outputFormat = settings_->SaveAsFormat();
    return static_cast<int>(g_inputNames.size());
}

void CMainPropertySheet::ShowAboutDialog()
{
    CAboutDlg dialog(this);
    dialog.exec();
}

void CMainPropertySheet::BringToFront()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

QString CMainPropertySheet::HelpFilePath()
{
    // Beside the program (the build tree), where the program's own prefix
    // puts it (a package unpacked anywhere), then where it was installed.
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {programDir + QLatin1Char('/') + kHelpFileName,
                                     programDir + QStringLiteral("/../share/paperwell/") + kHelpFileName,
                                     QStringLiteral(PW_HELP_INSTALL_DIR "/") + kHelpFileName})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).absoluteFilePath();
    return programDir + QLatin1Char('/') + kHelpFileName;
}

void CMainPropertySheet::OnHelp()
{
    const QString path = HelpFilePath();
    if (!QFileInfo::exists(path)) {
        PwMessageBox(this, kHelpFileName + QStringLiteral(" not found"), MB_OK);
        return;
    }
    // Whether the viewer came up is not reported, as for any help file.
    OpenLink(QUrl::fromLocalFile(path).toString());
}
