#include "page/page.h"

#include <algorithm>

void CPage::NoteFace(const std::string& face)
{
    // A page uses a handful of faces: a scan is cheaper than a set.
    if (std::find(facesInFirstUse.begin(), facesInFirstUse.end(), face) == facesInFirstUse.end())
        facesInFirstUse.push_back(face);
}

void CPage::NoteColor(uint32_t color)
{
    if (std::find(colorsInFirstUse.begin(), colorsInFirstUse.end(), color) == colorsInFirstUse.end())
        colorsInFirstUse.push_back(color);
}

void CPage::Clear()
{
    *this = CPage();
}

const CTextRun& CPage::BoxRun(const CTextBox& box) const
{
    switch (box.list) {
    case RunKind::Up:
        return upRuns[box.index];
    case RunKind::Down:
        return downRuns[box.index];
    default:
        return boxRuns[box.index];
    }
}
