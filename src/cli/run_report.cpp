#include "cli/run_report.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

const char* StatusName(FileStatus status)
{
    switch (status) {
    case FileStatus::Converted: return "converted";
    case FileStatus::Failed: return "failed";
    case FileStatus::Stopped: return "stopped";
    case FileStatus::Skipped: return "skipped";
    }
    return "stopped";
}

// Length of the UTF-8 sequence starting at `at`, or 0 when it is not one.
size_t Utf8Length(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned minimum = 0, value = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2; minimum = 0x80; value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3; minimum = 0x800; value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4; minimum = 0x10000; value = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

void AddCounts(std::string& json, const FileCounts& counts)
{
    json += ", \"pages\": " + std::to_string(counts.pages);
    json += ", \"words\": " + std::to_string(counts.words);
    json += ", \"scanned_pages\": " + std::to_string(counts.scannedPages);
    json += ", \"fonts_embedded\": " + std::to_string(counts.fontsEmbedded);
}

} // namespace

std::string JsonString(const std::string& text)
{
    std::string json = "\"";
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8Length(text, at);
        if (length == 0) {
            json += "\\ufffd";
            ++at;
            continue;
        }
        const char c = text[at];
        if (length > 1) {
            json.append(text, at, length);
        } else if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\t') {
            json += "\\t";
        } else if (c == '\r') {
            json += "\\r";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            json += escaped;
        } else {
            json += c;
        }
        at += length;
    }
    return json + "\"";
}

std::string RunReportJson(const InputList& inputs, const std::vector<FileReport>& record, const RunSummary& run)
{
    FileCounts total;
    int converted = 0, failed = 0, stopped = 0, skipped = 0;
    std::string files;
    size_t pdf = 0;
    for (const InputEntry& entry : inputs.entries) {
        FileReport file;
        file.path = entry.path;
        if (entry.skipped) {
            file.status = FileStatus::Skipped;
        } else if (pdf < record.size()) {
            file = record[pdf++];
        } else {
            ++pdf;  // the run never reached it
        }
        switch (file.status) {
        case FileStatus::Converted: ++converted; break;
        case FileStatus::Failed: ++failed; break;
        case FileStatus::Stopped: ++stopped; break;
        case FileStatus::Skipped: ++skipped; break;
        }
        total.pages += file.counts.pages;
        total.words += file.counts.words;
        total.scannedPages += file.counts.scannedPages;
        total.fontsEmbedded += file.counts.fontsEmbedded;

        files += files.empty() ? "\n    " : ",\n    ";
        files += "{\"path\": " + JsonString(file.path);
        files += ", \"output\": " + (file.outputPath.empty() ? std::string("null") : JsonString(file.outputPath));
        files += ", \"status\": \"" + std::string(StatusName(file.status)) + "\"";
        files += ", \"message\": " + (file.message.empty() ? std::string("null") : JsonString(file.message));
        AddCounts(files, file.counts);
        files += ", \"seconds\": " + Number(file.seconds) + "}";
    }

    std::string json = "{\n";
    json += "  \"format\": \"paperwell-report\",\n  \"version\": 1,\n";
    json += "  \"output_folder\": " + JsonString(run.outputFolder) + ",\n";
    json += "  \"jobs\": " + std::to_string(run.jobs) + ",\n";
    json += "  \"result\": " + JsonString(run.result) + ",\n";
    json += "  \"exit_status\": " + std::to_string(run.exitStatus) + ",\n";
    json += "  \"files\": [" + files + (files.empty() ? "],\n" : "\n  ],\n");
    json += "  \"totals\": {\"files\": " + std::to_string(inputs.entries.size());
    json += ", \"converted\": " + std::to_string(converted) + ", \"failed\": " + std::to_string(failed);
    json += ", \"stopped\": " + std::to_string(stopped) + ", \"skipped\": " + std::to_string(skipped);
    AddCounts(json, total);
    json += ", \"seconds\": " + Number(run.seconds) + "}\n}\n";
    return json;
}

int CheckReportPath(const std::string& path)
{
    if (path == "-")
        return 0;
    const std::string probe = path + ".part" + std::to_string(getpid());
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    close(fd);
    unlink(probe.c_str());
    return 0;
}

int WriteRunReport(const std::string& path, const std::string& json)
{
    if (path == "-") {
        const bool written = std::fwrite(json.data(), 1, json.size(), stdout) == json.size();
        std::fflush(stdout);
        return written ? 0 : EIO;
    }
    const std::string temporary = path + ".part" + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    size_t done = 0;
    int error = 0;
    while (done < json.size()) {
        const ssize_t wrote = write(fd, json.data() + done, json.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            error = errno ? errno : EIO;
            break;
        }
        done += static_cast<size_t>(wrote);
    }
    if (close(fd) != 0 && error == 0)
        error = errno;
    // The report is the script's own file: replacing an older one is meant.
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        unlink(temporary.c_str());
    return error;
}
