#include "platform/disk_space.h"

#include <sys/statvfs.h>

int HasFreeSpace(const std::string& path, uint64_t kib)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return 0;
    struct statvfs info {};
    if (statvfs(path.substr(0, slash).c_str(), &info) != 0)
        return 0;
    const uint64_t freeKib = static_cast<uint64_t>(info.f_bavail) * info.f_frsize / 1024;
    return freeKib >= kib ? 1 : 0;
}
