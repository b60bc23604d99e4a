#include "office/soffice_locator.h"

#include <cstdlib>
#include <unistd.h>

namespace {

bool IsExecutableFile(const std::string& path)
{
    return !path.empty() && access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string FindSoffice()
{
    if (const char* forced = std::getenv("PW_SOFFICE"))
        return IsExecutableFile(forced) ? std::string(forced) : std::string();
    const char* pathList = std::getenv("PATH");
    if (pathList == nullptr)
        return {};
    const std::string paths = pathList;
    size_t start = 0;
    while (start <= paths.size()) {
        size_t end = paths.find(':', start);
        if (end == std::string::npos)
            end = paths.size();
        // An empty PATH entry means the current directory.
        std::string folder = paths.substr(start, end - start);
        const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/soffice";
        if (IsExecutableFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}
