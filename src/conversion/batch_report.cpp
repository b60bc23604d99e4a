#include "conversion/batch_report.h"

#include <chrono>
#include <mutex>

namespace {

std::timed_mutex recordMutex;
std::vector<FileReport> record;

} // namespace

void StartBatchRecord(const std::vector<std::string>& paths)
{
    std::lock_guard<std::timed_mutex> lock(recordMutex);
    record.assign(paths.size(), FileReport {});
    for (size_t i = 0; i < paths.size(); ++i)
        record[i].path = paths[i];
}

void RecordFile(size_t index, const FileReport& report)
{
    std::lock_guard<std::timed_mutex> lock(recordMutex);
    if (index < record.size())
        record[index] = report;
}

std::vector<FileReport> BatchRecord()
{
    std::lock_guard<std::timed_mutex> lock(recordMutex);
    return record;
}

bool TryBatchRecord(std::vector<FileReport>& out)
{
    std::unique_lock<std::timed_mutex> lock(recordMutex, std::chrono::milliseconds(200));
    if (!lock.owns_lock())
        return false;
    out = record;
    return true;
}
