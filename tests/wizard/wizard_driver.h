#pragma once
// Drives the real wizard through a run: files chosen through an injected
// chooser, a temporary output folder, the Next buttons pressed, and waits
// that keep the event loop (and so the worker's calls) going.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
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

// A temporary folder for a test's output, removed with everything in it.
class CTempFolder {
public:
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    QTemporaryDir dir_{QDir::tempPath() + QStringLiteral("/pw-wizard-XXXXXX")};
    std::string path_ = dir_.path().toStdString();
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
