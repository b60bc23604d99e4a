#include "wizard/input_page.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTreeWidget>
#include <algorithm>

#include "wizard/dialog_units.h"
#include "wizard/link_opener.h"
#include "wizard/message_box.h"
#include "wizard/property_sheet.h"
#include "wizard/tip_button.h"
#include "wizard/top_banner.h"

namespace {

constexpr int kInputTemplateId = 107;
constexpr int kFileListId = 1032;
constexpr int kAddButtonId = 1000;
constexpr int kRemoveButtonId = 1033;
constexpr int kRemoveAllButtonId = 1034;
constexpr int kFolderEditId = 1005;
constexpr int kBrowseButtonId = 1004;
// The banner's child id, shared by every page.
constexpr int kBannerId = 0xFFF0;
// Wide enough for a long path; longer ones scroll.
constexpr int kListColumnWidth = 400;

QString StartFolder()
{
    // The folder of the last Add, unless it has gone or cannot be read.
    const QString current = QDir::currentPath();
    const QFileInfo info(current);
    if (!current.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable())
        return current;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QStringList ChooseFilesWithDialog(QWidget* parent, const QString& startFolder)
{
    return QFileDialog::getOpenFileNames(parent, QStringLiteral("Add PDF file(s) (max 50 files)"),
                                         startFolder, QStringLiteral("PDF Files(*.pdf)"));
}

QString ChooseFolderWithDialog(QWidget* parent)
{
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Select saving location"),
                                             QString(), QFileDialog::ShowDirsOnly);
}

QString FolderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

} // namespace

CInputPage::CInputPage(QWidget* parent) : CVovirPropertyPage(kInputTemplateId, parent)
{
    // Made in template order, so the group boxes lie under the controls they
    // frame and Tab moves as designed.
    auto* filesGroup = new QGroupBox(QStringLiteral("Add PDF file(s) for conversion:"), this);
    PlaceControl(filesGroup, 11, 62, 350, 100);

    list_ = new QTreeWidget(this);
    PlaceControl(list_, kFileListId, 22, 80, 269, 75);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setUniformRowHeights(true);
    list_->header()->setSectionsClickable(false);
    list_->header()->setSectionsMovable(false);
    list_->header()->setStretchLastSection(false);
    // The selection keeps its colour when the list loses the focus.
    QPalette listColours = list_->palette();
    listColours.setColor(QPalette::Inactive, QPalette::Highlight,
                         listColours.color(QPalette::Active, QPalette::Highlight));
    listColours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         listColours.color(QPalette::Active, QPalette::HighlightedText));
    list_->setPalette(listColours);

    add_ = new CTipButton(QStringLiteral("&Add file(s)"), this);
    PlaceControl(add_, kAddButtonId, 302, 79, 46, 14);
    remove_ = new CTipButton(QStringLiteral("&Remove"), this);
    PlaceControl(remove_, kRemoveButtonId, 302, 110, 46, 14);
    removeAll_ = new CTipButton(QStringLiteral("Re&move all"), this);
    PlaceControl(removeAll_, kRemoveAllButtonId, 302, 141, 46, 14);

    auto* folderGroup = new QGroupBox(QStringLiteral("Provide output location:"), this);
    PlaceControl(folderGroup, 11, 169, 350, 41);
    folderEdit_ = new QLineEdit(this);
    PlaceControl(folderEdit_, kFolderEditId, 22, 185, 269, 14);
    browse_ = new CTipButton(QStringLiteral("Br&owse"), this);
    PlaceControl(browse_, kBrowseButtonId, 302, 185, 46, 14);

    connect(add_, &QPushButton::clicked, this, &CInputPage::OnAdd);
    connect(remove_, &QPushButton::clicked, this, &CInputPage::OnRemove);
    connect(removeAll_, &QPushButton::clicked, this, &CInputPage::OnRemoveAll);
    connect(browse_, &QPushButton::clicked, this, &CInputPage::OnBrowse);
}

CInputPage::~CInputPage() = default;

QString CInputPage::OutputFolder() const { return folderEdit_->text(); }

void CInputPage::OnInitDialog()
{
    list_->setColumnCount(1);
    list_->setHeaderLabels({QString()});
    list_->setColumnWidth(0, kListColumnWidth);

    add_->SetTooltipText(QStringLiteral("Add PDF file(s)."));
    browse_->SetTooltipText(QStringLiteral("Select location to save converted file(s)."));
    remove_->SetTooltipText(QStringLiteral("Remove selected file."));
    removeAll_->SetTooltipText(QStringLiteral("Remove all files."));

    banner_ = new CTopBanner;
    banner_->Attach(this, CTopBanner::kAttachTop, kBannerId);
    banner_->SetLinkTarget(kProductWebPage);
}

void CInputPage::OnSetActive()
{
    CPropertySheet* sheet = Sheet();
    if (!sheet)
        return;
    sheet->Button(WizardButton::Back)->setEnabled(false);
    sheet->Button(WizardButton::Finish)->hide();
    sheet->Button(WizardButton::Next)->show();
    sheet->Button(WizardButton::Next)->setEnabled(true);
    sheet->Button(WizardButton::Cancel)->setEnabled(true);
    sheet->SetDefaultButton(WizardButton::Next);
}

bool CInputPage::Holds(const QString& path) const
{
    return std::any_of(paths_.begin(), paths_.end(), [&path](const std::string& held) {
        return QString::fromStdString(held).compare(path, Qt::CaseInsensitive) == 0;
    });
}

bool CInputPage::AddPath(const QString& path)
{
    if (Holds(path))
        return false;
    paths_.push_back(path.toStdString());
    // Newest on top; the path list keeps the order of adding.
    list_->insertTopLevelItem(0, new QTreeWidgetItem(QStringList{path}));
    return true;
}

void CInputPage::SelectItem(int index)
{
    QTreeWidgetItem* item = list_->topLevelItem(index);
    if (!item)
        return;
    list_->setCurrentItem(item);
    item->setSelected(true);
    list_->scrollToItem(item);
}

void CInputPage::OnAdd()
{
    if (list_->topLevelItemCount() >= kMaxInputFiles) {
        PwMessageBox(this, QStringLiteral("No more files can be added for conversion."), MB_ICONHAND);
        return;
    }
    const QString startFolder = StartFolder();
    QStringList chosen = fileChooser_ ? fileChooser_(this, startFolder)
                                      : ChooseFilesWithDialog(this, startFolder);
    if (chosen.isEmpty())
        return;
    // Stored paths must not depend on the current directory, which changes below.
    for (QString& path : chosen)
        path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());

    if (chosen.size() > 1) {
        QDir::setCurrent(FolderOf(chosen.front()));
        qsizetype next = 0;
        for (; next < chosen.size() && list_->topLevelItemCount() < kMaxInputFiles; ++next)
            AddPath(chosen[next]);
        if (next < chosen.size())
            PwMessageBox(this,
                         QStringLiteral("Some files cannot be added as the maximum limit(50 files) is exceeded."),
                         MB_ICONASTERISK);
    } else if (!Holds(chosen.front())) {
        QDir::setCurrent(FolderOf(chosen.front()));
        AddPath(chosen.front());
    }
    SelectItem(0);
}

void CInputPage::OnRemove()
{
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return;
    const int index = list_->indexOfTopLevelItem(selected.front());
    const std::string text = selected.front()->text(0).toStdString();
    delete list_->takeTopLevelItem(index);
    // The item that moved up into the gap is the next one to remove.
    list_->clearSelection();
    SelectItem(index);
    std::erase_if(paths_, [&text](const std::string& path) { return path == text; });
}

void CInputPage::OnRemoveAll()
{
    list_->clear();
    paths_.clear();
}

void CInputPage::OnBrowse()
{
    const QString folder = folderChooser_ ? folderChooser_(this) : ChooseFolderWithDialog(this);
    if (!folder.isEmpty())
        folderEdit_->setText(folder);
}

bool CInputPage::OnWizardNext()
{
    fileArray_.clear();
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        fileArray_.push_back(list_->topLevelItem(i)->text(0).toStdString());
    if (fileArray_.empty()) {
        PwMessageBox(this, QStringLiteral("No file(s) selected for conversion."), MB_ICONHAND);
        return false;
    }
    const QString folder = folderEdit_->text().trimmed();
    if (folder.isEmpty() || !CheckOutputFolder(folder.toStdString())) {
        PwMessageBox(this, QStringLiteral("Provide a valid output directory path."), MB_ICONHAND);
        return false;
    }
    folderEdit_->setText(folder);
    return true;
}

bool CInputPage::OnQueryCancel()
{
    return AskToExit();
}
