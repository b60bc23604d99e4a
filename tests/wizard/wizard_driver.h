#pragma once
// Drives the real wizard through a run: files chosen through an injected
// chooser, a temporary output folder, the Next buttons pressed, and waits
// that keep the event loop (and so the worker's calls) going.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fixtures.h"
#include "test_timing.h"
#include "wizard/input_page.h"
#include "wizard/main_property_sheet.h"
#include "wizard/progress_page.h"
#include "wizard/setting_page.h"

// Generous: a run that stores through the office suite takes seconds.
constexpr int kRunTimeoutMs = static_cast<int>(120000 * kTimeLimitScale);

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kRunTimeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

class CTempFolder {
public:
    CTempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pw-wizard-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~CTempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Puts `pdfs` (full paths) into the input page, one chooser call for all.
inline void AddFiles(CMainPropertySheet& sheet, const std::vector<std::string>& pdfs)
{
    QStringList chosen;
    for (const std::string& pdf : pdfs)
        chosen << QString::fromStdString(pdf);
    sheet.InputPage()->SetFileChooser([chosen](QWidget*, const QString&) { return chosen; });
    sheet.InputPage()->OnAdd();
}

inline void SetOutputFolder(CMainPropertySheet& sheet, const std::string& folder)
{
    sheet.InputPage()->findChild<QLineEdit*>(QStringLiteral("1005"))->setText(QString::fromStdString(folder));
}

// From the input page to the progress page, which starts the run.
inline void StartRun(CMainPropertySheet& sheet)
{
    while (sheet.ActivePage() != sheet.ProgressPage()) {
        const int before = sheet.ActiveIndex();
        sheet.PressNext();
        if (sheet.ActiveIndex() == before)
            return; // a page refused: the caller's test sees it
    }
}

inline bool WaitForRunEnd(CMainPropertySheet& sheet, int timeoutMs = kRunTimeoutMs)
{
    return WaitUntil([&] { return !sheet.ProgressPage()->WorkerRunning(); }, timeoutMs);
}
