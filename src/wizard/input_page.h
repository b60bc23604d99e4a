#pragma once
// First page: the PDF files to convert (at most 50) and the output folder.
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "wizard/output_folder_check.h"
#include "wizard/vovir_property_page.h"

class QLineEdit;
class QTreeWidget;
class CTipButton;
class CTopBanner;

constexpr int kMaxInputFiles = 50;

class CInputPage : public CVovirPropertyPage {
    Q_OBJECT
public:
    explicit CInputPage(QWidget* parent = nullptr);
    ~CInputPage() override;

    // Full paths in the order they were added (UTF-8).
    const std::vector<std::string>& PathList() const { return paths_; }
    // The list's texts from top to bottom, as gathered at the last Next.
    const std::vector<std::string>& FileArray() const { return fileArray_; }
    // The output folder text as it stands in the edit box.
    QString OutputFolder() const;

    // The file dialog and the folder browser, replaceable by tests. The
    // file chooser returns the chosen full paths (empty = cancelled), the
    // folder chooser the chosen folder (empty = cancelled).
    using FileChooser = std::function<QStringList(QWidget* parent, const QString& startFolder)>;
    using FolderChooser = std::function<QString(QWidget* parent)>;
    void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
    void SetFolderChooser(FolderChooser chooser) { folderChooser_ = std::move(chooser); }

    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardNext() override;
    bool OnQueryCancel() override;

    // The button handlers, as the buttons call them.
    void OnAdd();
    void OnRemove();
    void OnRemoveAll();
    void OnBrowse();

private:
    // Whether the path list holds `path`, ignoring letter case.
    bool Holds(const QString& path) const;
    // Appends to the path list and puts the file at the top of the list;
    // false (and nothing changes) for a path already held.
    bool AddPath(const QString& path);
    // Selects item `index` and makes it the current one, if it exists.
    void SelectItem(int index);

    std::vector<std::string> paths_;
    std::vector<std::string> fileArray_;
    QTreeWidget* list_;
    QLineEdit* folderEdit_;
    CTipButton* add_;
    CTipButton* remove_;
    CTipButton* removeAll_;
    CTipButton* browse_;
    CTopBanner* banner_ = nullptr;
    FileChooser fileChooser_;
    FolderChooser folderChooser_;
};
