#include "wizard/property_sheet.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPainter>
#include <QPushButton>

#include "wizard/dialog_units.h"
#include "wizard/page_colour.h"
#include "wizard/vovir_property_page.h"

namespace {

// The button row under the pages, in dialog units.
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kStripMargin = 7;
// Room between Cancel and Help, which the main sheet narrows by moving
// Cancel to the right.
constexpr int kHelpGap = 12;

QPushButton* MakeButton(QWidget* parent, int id, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::number(id));
    button->setFont(DialogFont());
    return button;
}

} // namespace

CPropertySheet::CPropertySheet(const QString& title, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
    setFont(DialogFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kPageColour);
    setPalette(colours);

    back_ = MakeButton(this, kBackButtonId, tr("< &Back"));
    next_ = MakeButton(this, kNextButtonId, tr("&Next >"));
    finish_ = MakeButton(this, kFinishButtonId, tr("Finish"));
    cancel_ = MakeButton(this, kCancelButtonId, tr("Cancel"));
    help_ = MakeButton(this, kHelpButtonId, tr("Help"));
    finish_->hide();
    connect(back_, &QPushButton::clicked, this, &CPropertySheet::PressBack);
    connect(next_, &QPushButton::clicked, this, &CPropertySheet::PressNext);
    connect(finish_, &QPushButton::clicked, this, &CPropertySheet::PressFinish);
    connect(cancel_, &QPushButton::clicked, this, &CPropertySheet::PressCancel);
    connect(help_, &QPushButton::clicked, this, [this] { OnHelp(); });
    SetDefaultButton(WizardButton::Next);
    LayOut();
}

void CPropertySheet::AddPage(CVovirPropertyPage* page)
{
    page->setParent(this);
    page->AttachToSheet(this);
    page->move(0, 0);
    page->hide();
    pages_.push_back(page);
    initialised_.push_back(false);
    LayOut();
}

CVovirPropertyPage* CPropertySheet::ActivePage() const
{
    return active_ >= 0 ? pages_[static_cast<size_t>(active_)] : nullptr;
}

void CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    CVovirPropertyPage* previous = ActivePage();
    active_ = index;
    CVovirPropertyPage* page = pages_[static_cast<size_t>(index)];
    if (!initialised_[static_cast<size_t>(index)]) {
        initialised_[static_cast<size_t>(index)] = true;
        page->OnInitDialog();
    }
    if (previous && previous != page)
        previous->hide();
    page->show();
    page->OnSetActive();
}

QPushButton* CPropertySheet::Button(WizardButton which) const
{
    switch (which) {
    case WizardButton::Back: return back_;
    case WizardButton::Next: return next_;
    case WizardButton::Finish: return finish_;
    case WizardButton::Cancel: return cancel_;
    case WizardButton::Help: return help_;
    }
    return nullptr;
}

void CPropertySheet::SetDefaultButton(WizardButton which)
{
    for (QPushButton* button : {back_, next_, finish_, cancel_, help_})
        button->setDefault(button == Button(which));
}

void CPropertySheet::PressBack()
{
    CVovirPropertyPage* page = ActivePage();
    if (!page || !back_->isEnabled() || active_ == 0)
        return;
    if (page->OnWizardBack())
        SetActivePage(active_ - 1);
}

void CPropertySheet::PressNext()
{
    CVovirPropertyPage* page = ActivePage();
    if (!page || !next_->isEnabled() || next_->isHidden() || active_ + 1 >= PageCount())
        return;
    if (page->OnWizardNext())
        SetActivePage(active_ + 1);
}

void CPropertySheet::PressFinish()
{
    CVovirPropertyPage* page = ActivePage();
    if (!page || !finish_->isEnabled() || finish_->isHidden())
        return;
    if (page->OnWizardFinish()) {
        closingAllowed_ = true;
        accept();
    }
}

void CPropertySheet::PressCancel()
{
    CVovirPropertyPage* page = ActivePage();
    if (page && !page->OnQueryCancel())
        return;
    closingAllowed_ = true;
    QDialog::reject();
}

void CPropertySheet::reject()
{
    // Esc: like the Cancel button, and nothing while that button is disabled.
    if (cancel_->isEnabled())
        PressCancel();
}

void CPropertySheet::closeEvent(QCloseEvent* event)
{
    if (closingAllowed_) {
        event->accept();
        return;
    }
    // The title bar's close button always asks the active page.
    event->ignore();
    PressCancel();
}

void CPropertySheet::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPageColour);
}

void CPropertySheet::showEvent(QShowEvent* event)
{
    closingAllowed_ = false;
    if (active_ < 0 && !pages_.empty())
        SetActivePage(0);
    QDialog::showEvent(event);
}

int CPropertySheet::ButtonStripHeight() const
{
    return DialogSize(0, kStripMargin + kButtonHeight + kStripMargin).height();
}

void CPropertySheet::LayOut()
{
    const QSize page = DialogSize(kPageTemplateWidth, kPageTemplateHeight);
    const QSize button = DialogSize(kButtonWidth, kButtonHeight);
    const int margin = DialogSize(kStripMargin, kStripMargin).width();
    const int top = page.height() + DialogSize(0, kStripMargin).height();

    int x = page.width() - margin - button.width();
    help_->setGeometry(x, top, button.width(), button.height());
    x -= DialogSize(kHelpGap, 0).width() + button.width();
    cancel_->setGeometry(x, top, button.width(), button.height());
    x -= margin + button.width();
    next_->setGeometry(x, top, button.width(), button.height());
    finish_->setGeometry(x, top, button.width(), button.height());
    x -= button.width();
    back_->setGeometry(x, top, button.width(), button.height());

    setFixedSize(page.width(), page.height() + ButtonStripHeight());
}
