#include "platform/temp_path.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <random>
#include <unistd.h>

namespace {

std::mutex tempMutex;
std::string privateFolder;

void RemovePrivateFolder()
{
    if (privateFolder.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(privateFolder, ec);
}

// Caller holds tempMutex.
const std::string& EnsurePrivateFolder()
{
    if (!privateFolder.empty())
        return privateFolder;
    const char* base = std::getenv("TMPDIR");
    std::string folder = (base && *base) ? base : "/tmp";
    // A path longer than the classic 512-character buffer is refused.
    if (folder.size() > 512)
        return privateFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string pattern = folder + "/paperwell-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return privateFolder;
    privateFolder = pattern;
    static bool registered = false;
    if (!registered) {
        registered = true;
        std::atexit(RemovePrivateFolder);
    }
    return privateFolder;
}

} // namespace

std::string PrivateTempFolder()
{
    std::lock_guard<std::mutex> lock(tempMutex);
    return EnsurePrivateFolder();
}

std::string MakeTempPath()
{
    std::lock_guard<std::mutex> lock(tempMutex);
    const std::string& folder = EnsurePrivateFolder();
    if (folder.empty())
        return {};
    std::string name = folder + "/ndrXXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0)
        return {};
    close(fd);
    unlink(name.c_str());
    // A random suffix keeps two names made from one unique stem apart.
    static std::mt19937 random(static_cast<unsigned>(std::time(nullptr)));
    return name + std::to_string(random() % 32768);
}
