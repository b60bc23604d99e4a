#pragma once
// A property sheet in wizard mode: its pages one at a time above a row of
// Back, Next, Finish, Cancel and Help. The pages decide which buttons are
// shown and enabled; the sheet moves between pages only when the page allows.
#include <QDialog>
#include <vector>

class QPushButton;
class CVovirPropertyPage;

enum class WizardButton { Back, Next, Finish, Cancel, Help };

// Control ids of the wizard's buttons, also their object names.
constexpr int kBackButtonId = 0x3023;   // 12323
constexpr int kNextButtonId = 0x3024;   // 12324
constexpr int kFinishButtonId = 0x3025; // 12325
constexpr int kCancelButtonId = 2;      // IDCANCEL
constexpr int kHelpButtonId = 9;        // IDHELP

class CPropertySheet : public QDialog {
    Q_OBJECT
public:
    explicit CPropertySheet(const QString& title, QWidget* parent = nullptr);

    // Pages are shown in the order they are added; the sheet owns them.
    void AddPage(CVovirPropertyPage* page);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    CVovirPropertyPage* Page(int index) const { return pages_.at(index); }
    CVovirPropertyPage* ActivePage() const;
    int ActiveIndex() const { return active_; }
    // Makes page `index` the active one (its OnSetActive runs).
    void SetActivePage(int index);

    QPushButton* Button(WizardButton which) const;
    // The button Enter presses.
    void SetDefaultButton(WizardButton which);

    // The wizard's own buttons, as the user would press them.
    void PressBack();
    void PressNext();
    void PressFinish();
    // Cancel, the title bar's close button and Esc: the active page decides.
    void PressCancel();

    // Height of the strip that holds the wizard's buttons, in pixels.
    int ButtonStripHeight() const;

public slots:
    void reject() override;

protected:
    // The Help button; the main sheet opens the help file.
    virtual void OnHelp() {}
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void LayOut();

    std::vector<CVovirPropertyPage*> pages_;
    std::vector<bool> initialised_;
    int active_ = -1;
    bool closingAllowed_ = false;
    QPushButton* back_;
    QPushButton* next_;
    QPushButton* finish_;
    QPushButton* cancel_;
    QPushButton* help_;
};
