#include "wizard/about_dlg.h"

#include <QGroupBox>
#include <QPainter>
#include <QPushButton>

#include "wizard/dialog_units.h"
#include "wizard/hyperlink.h"
#include "wizard/link_opener.h"
#include "wizard/transparent_static.h"
#include "wizard/wizard_artwork.h"

namespace {

// Control ids of template 100, also the controls' object names.
constexpr int kWebSiteId = 1024;
constexpr int kSupportId = 1025;
constexpr int kSalesId = 1026;
constexpr int kNoticeId = 1027;
constexpr int kVersionId = 1028;
constexpr int kOkId = 1;

const QString kVersionLine = QStringLiteral("Paperwell      Version 11.06.01");
const QString kNoticeLine =
    QStringLiteral("Copyright \u00A9 2011 the Paperwell developers.\nAll rights reserved.");

CHyperLink* NewLink(QWidget* parent, int id, int y, const QString& text, const QString& target)
{
    auto* link = new CHyperLink(parent);
    PlaceControl(link, id, 47, y, 155, 8);
    link->setAlignment(Qt::AlignCenter);
    link->setText(text);
    link->SetURL(target);
    link->Attach();
    link->SetUnderline(CHyperLink::kUnderlineAlways);
    return link;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent), background_(ArtworkPixmap(QStringLiteral(":/bitmap_135.png")))
{
    setObjectName(QStringLiteral("100"));
    setWindowTitle(QStringLiteral("About Paperwell"));
    setFont(DialogFont());
    setFixedSize(DialogSize(kTemplateWidth, kTemplateHeight));

    auto* frame = new QGroupBox(this);
    PlaceControl(frame, 27, 47, 196, 112);

    version_ = new CTransparentStatic(kVersionLine, this);
    PlaceControl(version_, kVersionId, 35, 60, 177, 10);
    notice_ = new CTransparentStatic(kNoticeLine, this);
    PlaceControl(notice_, kNoticeId, 35, 73, 182, 19);
    notice_->setWordWrap(true);

    webSite_ = NewLink(this, kWebSiteId, 105, kProductWebPage, kProductWebPage);
    support_ = NewLink(this, kSupportId, 118, kSupportAddress, QStringLiteral("mailto:") + kSupportAddress);
    sales_ = NewLink(this, kSalesId, 131, kSalesAddress, QStringLiteral("mailto:") + kSalesAddress);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    PlaceControl(ok_, kOkId, 99, 174, 50, 14);
    ok_->setDefault(true);
    ok_->setFocus();
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void CAboutDlg::paintEvent(QPaintEvent*)
{
    // The picture covers the whole client area at whatever size it has.
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!background_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), background_);
    }
}
