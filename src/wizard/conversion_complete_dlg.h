#pragma once
// The summary after a run: how many documents were saved, a link to their
// folder and the list of their names.
#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QTreeWidget;
class CHyperLink;

class CConversionCompleteDlg : public QDialog {
    Q_OBJECT
public:
    // `files` are the full paths of the saved documents, `folder` the
    // folder that holds them.
    CConversionCompleteDlg(const std::vector<std::string>& files, const std::string& folder,
                           QWidget* owner = nullptr);

    QString SummaryText() const;
    CHyperLink* FolderLink() const { return folderLink_; }
    QTreeWidget* FileList() const { return list_; }

private:
    QLabel* summary_;
    CHyperLink* folderLink_;
    QTreeWidget* list_;
};

// "Total %d %s converted successfully." for `count` saved files.
QString CompletionSummary(int count);
// The part of a path after its last separator (the whole path without one).
QString FileNamePart(const std::string& path);
