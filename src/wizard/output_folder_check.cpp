#include "wizard/output_folder_check.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/utf16_length.h"

namespace {

// New folders get the user's usual permissions: the umask narrows this.
constexpr mode_t kNewFolderMode = 0777;

bool Exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

bool CheckOutputFolder(const std::string& path)
{
    // A name with a NUL in it would name a different, shorter path below.
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    if (Exists(path))
        return true;
    if (path.front() != '/' || Utf16Length(path) > kMaxCreatableFolderUnits)
        return false;

    std::string folder = path;
    if (folder.back() != '/')
        folder += '/';
    // One level at a time from the left; the root itself is never created.
    // Existing levels fail with EEXIST, which is fine; ENOENT means a level
    // above could not be made (or dangles), so nothing below it can be.
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1)) {
        const std::string level = folder.substr(0, slash);
        if (::mkdir(level.c_str(), kNewFolderMode) != 0 && errno == ENOENT)
            return false;
    }
    // Any other failure (no permission, a file in the way) shows here: the
    // whole path must now be a folder to take the documents.
    return IsFolder(folder.substr(0, folder.size() - 1));
}
