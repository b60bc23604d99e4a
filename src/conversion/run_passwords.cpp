#include "conversion/run_passwords.h"

#include <algorithm>
#include <mutex>

namespace {

// A batch rarely uses more than a couple of passwords; trying a few more
// costs little, trying hundreds on every file would not.
constexpr size_t kMaxRunPasswords = 8;

std::mutex passwordsMutex;
std::vector<std::string> passwords;

} // namespace

void ClearRunPasswords()
{
    std::lock_guard<std::mutex> lock(passwordsMutex);
    passwords.clear();
}

void RememberRunPassword(const std::string& password)
{
    std::lock_guard<std::mutex> lock(passwordsMutex);
    if (password.empty() || passwords.size() >= kMaxRunPasswords ||
        std::find(passwords.begin(), passwords.end(), password) != passwords.end())
        return;
    passwords.push_back(password);
}

std::vector<std::string> RunPasswords()
{
    std::lock_guard<std::mutex> lock(passwordsMutex);
    return passwords;
}
