#include "platform/temp_path.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <random>
#include <unistd.h>

namespace {

constexpr size_t kMaxTempFolderLength = 512;  // longer temporary folder names are refused
constexpr unsigned kRandomSuffixRange = 32768; // the appended number lies in 0..32767

std::mutex tempMutex;
std::string privateFolder;
pid_t folderOwner = 0;   // the process that made privateFolder
bool disposed = false;   // the process is ending: make nothing any more

constexpr int kRemoveAttempts = 50;        // passes over a tree that another thread is changing

// Another thread may be removing part of the tree at the same moment (a
// worker's folder going with its file); remove_all gives up at the first entry
// that vanished under it, so pass again until the tree is gone.
void RemoveTree(const std::string& path)
{
    for (int attempt = 0; attempt < kRemoveAttempts; ++attempt) {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
            return;
    }
}

void RemovePrivateFolder()
{
    // A forked child that exits must not take its parent's folder with it.
    if (privateFolder.empty() || getpid() != folderOwner)
        return;
    RemoveTree(privateFolder);
}

// Caller holds tempMutex.
const std::string& EnsurePrivateFolder()
{
    if (!privateFolder.empty() || disposed)
        return privateFolder;
    const char* base = std::getenv("TMPDIR");
    std::string folder = (base && *base) ? base : "/tmp";
    if (folder.size() > kMaxTempFolderLength)
        return privateFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    std::string pattern = folder + "/paperwell-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return privateFolder;
    privateFolder = pattern;
    folderOwner = getpid();
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
    if (fd < 0 && errno == ENOENT) {
        // Someone removed the private folder (a temp cleaner): make a new one.
        privateFolder.clear();
        if (EnsurePrivateFolder().empty())
            return {};
        name = privateFolder + "/ndrXXXXXX";
        fd = mkstemp(name.data());
    }
    if (fd < 0)
        return {};
    close(fd);
    unlink(name.c_str());
    // A random suffix keeps two names made from one unique stem apart.
    static std::mt19937 random(static_cast<unsigned>(std::time(nullptr)));
    return name + std::to_string(random() % kRandomSuffixRange);
}

void DisposePrivateTempFolder()
{
    std::lock_guard<std::mutex> lock(tempMutex);
    disposed = true;
    if (!privateFolder.empty() && getpid() == folderOwner)
        RemoveTree(privateFolder);
    privateFolder.clear();
}
