#include "office/office_files.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>
#include <sys/stat.h>

namespace {

constexpr unsigned char kOle2Signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr unsigned char kZipSignature[] = {'P', 'K', 0x03, 0x04};

bool IsUnreserved(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
}

std::string MakeFolderFrom(std::string pattern)
{
    if (mkdtemp(pattern.data()) == nullptr)
        return {};
    return pattern;
}

} // namespace

std::string FileUrlFromPath(const std::string& path)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : path) {
        if (IsUnreserved(c)) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += hex[c >> 4];
            url += hex[c & 0xF];
        }
    }
    return url;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

std::string MakeOfficeFolder(const std::string& parent)
{
    if (!parent.empty()) {
        std::string folder = MakeFolderFrom(parent + "/office-XXXXXX");
        if (!folder.empty())
            return folder;
    }
    // The temporary folder may be unusable while /var/tmp is not.
    return MakeFolderFrom("/var/tmp/paperwell-office-XXXXXX");
}

void RemoveOfficeFolder(const std::string& folder)
{
    if (folder.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

bool IsWordDocument(const std::string& path, OfficeFormat format)
{
    const unsigned char* signature = format == OfficeFormat::Doc ? kOle2Signature : kZipSignature;
    const size_t length = format == OfficeFormat::Doc ? sizeof kOle2Signature : sizeof kZipSignature;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    unsigned char head[sizeof kOle2Signature] = {};
    const size_t got = std::fread(head, 1, length, file);
    std::fclose(file);
    return got == length && std::memcmp(head, signature, length) == 0;
}

const char* ExportFilterName(OfficeFormat format)
{
    return format == OfficeFormat::Doc ? "MS Word 97" : "MS Word 2007 XML";
}

bool FileContains(const std::string& path, std::string_view needle)
{
    if (needle.empty())
        return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    // Each piece starts with the last bytes of the one before, so a needle
    // across the border is found.
    constexpr size_t kPiece = 1 << 16;
    std::string buffer;
    bool found = false;
    std::vector<char> piece(kPiece);
    for (;;) {
        const size_t got = std::fread(piece.data(), 1, kPiece, file);
        if (got == 0)
            break;
        buffer.append(piece.data(), got);
        if (buffer.find(needle) != std::string::npos) {
            found = true;
            break;
        }
        if (buffer.size() >= needle.size())
            buffer.erase(0, buffer.size() - (needle.size() - 1));
    }
    std::fclose(file);
    return found;
}

long long FileSizeOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return 0;
    return static_cast<long long>(info.st_size);
}
