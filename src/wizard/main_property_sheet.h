#pragma once
// The wizard: input, settings and progress pages, the About button in the
// bottom-left corner, help, Alt+H / Alt+C, and the hand-over of the pages'
// values to a conversion run.
#include "wizard/property_sheet.h"

class CInputPage;
class CSettingPage;
class CProgressPage;
class CSkinButton;

constexpr int kAboutButtonId = 32774;

class CMainPropertySheet : public CPropertySheet {
    Q_OBJECT
public:
    explicit CMainPropertySheet(const QString& title, QWidget* parent = nullptr);

    CInputPage* InputPage() const { return input_; }
    CSettingPage* SettingPage() const { return settings_; }
    CProgressPage* ProgressPage() const { return progress_; }
    CSkinButton* AboutButton() const { return about_; }

    // Copies the pages' values into the run's settings and input lists and
    // returns the number of files.
    int OnCollectSettings();

    void ShowAboutDialog();
    // Brings the wizard to the front (a second copy of the program asked).
    void BringToFront();

    // Where the help file is looked for: beside the program, then in the
    // installed data folder.
    static QString HelpFilePath();

protected:
    void OnHelp() override;

private:
    CInputPage* input_;
    CSettingPage* settings_;
    CProgressPage* progress_;
    CSkinButton* about_;
};
