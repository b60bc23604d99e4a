#include "office/command_line_convert.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "office/office_files.h"
#include "office/office_process.h"

namespace {

// What soffice prints (exit status 0 all the same) when it cannot load a file.
constexpr const char* kLoadFailedText = "could not be loaded";
// Exit status of a child whose exec failed (see COfficeProcess::Start).
constexpr int kExecFailedStatus = 127;

bool FileContains(const std::string& path, const char* text)
{
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    return content.str().find(text) != std::string::npos;
}

bool MoveFile(const std::string& from, const std::string& to)
{
    if (rename(from.c_str(), to.c_str()) == 0)
        return true;
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    return !ec;
}

} // namespace

OfficeResult ConvertOnCommandLine(const std::string& soffice, const std::string& workFolder,
                                  const std::string& rtfPath, const std::string& targetPath,
                                  OfficeFormat format, std::chrono::milliseconds timeout,
                                  bool& timedOut)
{
    timedOut = false;
    // The output name is the input's stem, so the RTF is offered under a
    // known name; the job folder keeps parallel files apart.
    const std::string job = workFolder + "/job";
    const std::string input = job + "/source.rtf";
    const std::string outFolder = job + "/out";
    const std::string log = job + "/soffice.log";
    const char* extension = format == OfficeFormat::Doc ? "doc" : "docx";
    const std::string output = outFolder + "/source." + extension;
    RemoveOfficeFolder(job);
    std::error_code ec;
    std::filesystem::create_directories(outFolder, ec);
    if (ec || symlink(rtfPath.c_str(), input.c_str()) != 0)
        return OfficeResult::NotAvailable;

    const std::vector<std::string> argv = {
        soffice,
        "-env:UserInstallation=" + FileUrlFromPath(workFolder + "/profile"),
        "--headless", "--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck",
        "--infilter=Rich Text Format",
        "--convert-to", std::string(extension) + ":" + ExportFilterName(format),
        "--outdir", outFolder, input,
    };
    COfficeProcess process;
    OfficeResult result = OfficeResult::NotAvailable;
    int exitStatus = 0;
    if (process.Start(argv, log)) {
        if (!process.WaitFor(timeout, &exitStatus)) {
            process.KillGroup();
            timedOut = true;
            result = OfficeResult::OpenFailed;   // hung on this document
        } else if (exitStatus == kExecFailedStatus) {
            result = OfficeResult::NotAvailable;
        } else if (IsWordDocument(output, format) && MoveFile(output, targetPath)) {
            result = OfficeResult::Converted;
        } else {
            result = FileContains(log, kLoadFailedText) ? OfficeResult::OpenFailed
                                                        : OfficeResult::SaveFailed;
        }
    }
    RemoveOfficeFolder(job);
    return result;
}
