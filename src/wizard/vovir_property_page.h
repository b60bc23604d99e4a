#pragma once
// Base of the wizard's pages: the page colour, the "Paperwell" title and the
// hooks the sheet calls as the user moves between pages.
#include <QWidget>

class CPropertySheet;

// The page template's size in dialog units (all three pages share it).
constexpr int kPageTemplateWidth = 377;
constexpr int kPageTemplateHeight = 238;

class CVovirPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CVovirPropertyPage(int templateId, QWidget* parent = nullptr);

    int TemplateId() const { return templateId_; }
    QString Title() const { return title_; }

    // The sheet this page was added to (nullptr before AddPage).
    CPropertySheet* Sheet() const { return sheet_; }
    void AttachToSheet(CPropertySheet* sheet) { sheet_ = sheet; }

    // Called once, before the page is first activated.
    virtual void OnInitDialog() {}
    // The page becomes the active one: it sets the wizard buttons.
    virtual void OnSetActive() {}
    // Each returns true to allow the move (or the close).
    virtual bool OnWizardNext() { return true; }
    virtual bool OnWizardBack() { return true; }
    virtual bool OnWizardFinish() { return true; }
    virtual bool OnQueryCancel() { return true; }

protected:
    // "Do you want to exit ?" with Yes and No; true for Yes.
    bool AskToExit();
    void paintEvent(QPaintEvent* event) override;

private:
    int templateId_;
    QString title_;
    CPropertySheet* sheet_ = nullptr;
};
