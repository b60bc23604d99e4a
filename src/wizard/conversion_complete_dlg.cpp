#include "wizard/conversion_complete_dlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "wizard/dialog_units.h"
#include "wizard/hyperlink.h"
#include "wizard/message_box.h"

namespace {
constexpr int kTemplateWidth = 276;
constexpr int kTemplateHeight = 162;
constexpr int kSummaryId = 1055;
constexpr int kFolderLinkId = 1056;
constexpr int kFileListId = 1048;
constexpr int kNumberColumnWidth = 60;  // pixels
constexpr int kFileColumnWidth = 330;   // pixels
} // namespace

QString CompletionSummary(int count)
{
    return QStringLiteral("Total %1 %2 converted successfully.")
        .arg(count)
        .arg(count > 1 ? QStringLiteral("files were") : QStringLiteral("file was"));
}

QString FileNamePart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return QString::fromStdString(slash == std::string::npos ? path : path.substr(slash + 1));
}

CConversionCompleteDlg::CConversionCompleteDlg(const std::vector<std::string>& files,
                                               const std::string& folder, QWidget* owner)
    : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Conversion complete"));
    setFont(DialogFont());
    setFixedSize(DialogSize(kTemplateWidth, kTemplateHeight));

    summary_ = new QLabel(QStringLiteral("Conversion finished."), this);
    PlaceControl(summary_, kSummaryId, 7, 7, 262, 8);
    auto* location = new QLabel(QStringLiteral("File(s) location:"), this);
    PlaceControl(location, 7, 25, 50, 8);

    // A long folder wraps onto the second line of the link's two.
    folderLink_ = new CHyperLink(this);
    PlaceControl(folderLink_, kFolderLinkId, 60, 26, 210, 16);
    folderLink_->setWordWrap(true);
    folderLink_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QString folderText = QString::fromStdString(folder);
    folderLink_->setText(folderText);
    folderLink_->SetURL(folderText);
    folderLink_->SetUnderline(CHyperLink::kUnderlineAlways);
    folderLink_->Attach();

    list_ = new QTreeWidget(this);
    PlaceControl(list_, kFileListId, 7, 54, 262, 80);
    list_->setRootIsDecorated(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows); // full-row select
    list_->setColumnCount(2);
    list_->setHeaderLabels({QStringLiteral("S.No."), QStringLiteral("File")});
    list_->header()->setSectionsClickable(false);
    list_->header()->setStretchLastSection(false);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setColumnWidth(0, kNumberColumnWidth);
    list_->setColumnWidth(1, kFileColumnWidth);
    for (size_t i = 0; i < files.size(); ++i)
        new QTreeWidgetItem(list_, {QString::number(i + 1), FileNamePart(files[i])});
    if (QTreeWidgetItem* last = list_->topLevelItem(list_->topLevelItemCount() - 1)) {
        list_->setCurrentItem(last);
        last->setSelected(true);
    }

    summary_->setText(CompletionSummary(static_cast<int>(files.size())));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    PlaceControl(ok, IDOK, 112, 141, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString CConversionCompleteDlg::SummaryText() const { return summary_->text(); }
