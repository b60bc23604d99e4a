#include "cli/input_list.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Readers accept the header anywhere in the first kilobyte.
constexpr size_t kHeaderWindow = 1024;

bool IsFolder(const std::string& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

void AddFolder(const fs::path& root, const fs::path& folder, bool recursive, InputList& list)
{
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec) {
        list.warnings.push_back("cannot read folder " + folder.string() + ": " + ec.message());
        return;
    }
    // Name order, the same on every machine and every run.
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    std::vector<fs::path> folders;
    for (const fs::directory_entry& entry : entries) {
        std::error_code kind;
        // A linked folder is not followed: it may lead back up the tree.
        if (entry.is_directory(kind)) {
            if (recursive && !entry.is_symlink(kind))
                folders.push_back(entry.path());
            continue;
        }
        if (!entry.is_regular_file(kind))
            continue;
        InputEntry input;
        input.path = entry.path().string();
        input.skipped = !LooksLikePdf(input.path);
        if (!input.skipped) {
            const fs::path relative = folder.lexically_relative(root);
            input.outputFolder = relative == "." ? std::string() : relative.string();
        }
        list.entries.push_back(input);
    }
    for (const fs::path& sub : folders)
        AddFolder(root, sub, recursive, list);
}

} // namespace

bool LooksLikePdf(const std::string& path)
{
    const std::string extension = fs::path(path).extension().string();
    if (extension.size() == 4 && strcasecmp(extension.c_str(), ".pdf") == 0)
        return true;
    std::ifstream in(path, std::ios::binary);
    std::string head(kHeaderWindow, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head.find("%PDF-") != std::string::npos;
}

InputList ExpandInputs(const std::vector<std::string>& inputs, bool recursive)
{
    InputList list;
    for (const std::string& input : inputs) {
        if (IsFolder(input))
            AddFolder(fs::path(input), fs::path(input), recursive, list);
        else
            list.entries.push_back({input, false, {}});
    }
    return list;
}

std::vector<std::string> InputList::Pdfs() const
{
    std::vector<std::string> pdfs;
    for (const InputEntry& entry : entries)
        if (!entry.skipped)
            pdfs.push_back(entry.path);
    return pdfs;
}

std::vector<std::string> InputList::OutputFolders() const
{
    std::vector<std::string> folders;
    for (const InputEntry& entry : entries)
        if (!entry.skipped)
            folders.push_back(entry.outputFolder);
    return folders;
}

size_t InputList::SkippedCount() const
{
    return static_cast<size_t>(
        std::count_if(entries.begin(), entries.end(), [](const InputEntry& entry) { return entry.skipped; }));
}
