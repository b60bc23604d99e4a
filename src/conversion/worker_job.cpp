#include "conversion/worker_job.h"

#include <cstdint>
#include <vector>

#include "conversion/worker_protocol.h"

namespace {

void WriteOptions(CFieldWriter& fields, const ConversionOptions& options)
{
    fields.Int(static_cast<int32_t>(options.textMode)).Int(options.deleteGraphics ? 1 : 0);
    fields.Int(options.allPages ? 1 : 0).Int(options.fromPage).Int(options.toPage);
    fields.Int(options.recogniseText ? 1 : 0).Text(options.ocrLanguages);
    fields.Int(options.pictureDpi).Int(static_cast<int32_t>(options.format)).Int(options.embedFonts ? 1 : 0);
}

bool ReadOptions(CFieldReader& reader, ConversionOptions& options)
{
    int32_t mode = 0, graphics = 0, allPages = 0, recognise = 0, format = 0, embedFonts = 0;
    reader.Int(mode);
    reader.Int(graphics);
    reader.Int(allPages);
    reader.Int(options.fromPage);
    reader.Int(options.toPage);
    reader.Int(recognise);
    reader.Text(options.ocrLanguages);
    reader.Int(options.pictureDpi);
    reader.Int(format);
    reader.Int(embedFonts);
    if (mode != static_cast<int32_t>(TextMode::Flow) && mode != static_cast<int32_t>(TextMode::Frames))
        return false;
    if (format < static_cast<int32_t>(OutputFormat::Doc) || format > static_cast<int32_t>(OutputFormat::Rtf))
        return false;
    if (options.pictureDpi < kMinPictureDpi || options.pictureDpi > kMaxPictureDpi)
        return false;
    options.textMode = static_cast<TextMode>(mode);
    options.deleteGraphics = graphics != 0;
    options.allPages = allPages != 0;
    options.recogniseText = recognise != 0;
    options.format = static_cast<OutputFormat>(format);
    options.embedFonts = embedFonts != 0;
    return reader.Ok();
}

void WriteTexts(CFieldWriter& fields, const std::vector<std::string>& texts)
{
    fields.Int(static_cast<int32_t>(texts.size()));
    for (const std::string& text : texts)
        fields.Text(text);
}

void ReadTexts(CFieldReader& reader, std::vector<std::string>& texts)
{
    int32_t count = 0;
    reader.Int(count);
    for (int32_t i = 0; i < count && reader.Ok(); ++i) {
        std::string text;
        if (reader.Text(text))
            texts.push_back(std::move(text));
    }
}

void WritePages(CFieldWriter& fields, const std::vector<int>& pages)
{
    fields.Int(static_cast<int32_t>(pages.size()));
    for (const int page : pages)
        fields.Int(page);
}

void ReadPages(CFieldReader& reader, std::vector<int>& pages)
{
    int32_t count = 0;
    reader.Int(count);
    for (int32_t i = 0; i < count && reader.Ok(); ++i) {
        int32_t page = 0;
        if (reader.Int(page))
            pages.push_back(page);
    }
}

} // namespace

std::string EncodeWorkerJob(const WorkerJob& job)
{
    CFieldWriter fields;
    fields.Text(job.folder).Text(job.file.path).Text(job.file.name);
    WriteOptions(fields, job.file.options);
    fields.Int(job.file.pageSeconds).Int(job.memoryMegabytes).Int(job.stopRequested ? 1 : 0);
    WriteTexts(fields, job.file.passwords);
    return fields.Bytes();
}

bool DecodeWorkerJob(const std::string& payload, WorkerJob& job)
{
    CFieldReader reader(payload);
    int32_t seconds = 0, memory = 0, stop = 0;
    reader.Text(job.folder);
    reader.Text(job.file.path);
    reader.Text(job.file.name);
    if (!ReadOptions(reader, job.file.options))
        return false;
    reader.Int(seconds);
    reader.Int(memory);
    reader.Int(stop);
    ReadTexts(reader, job.file.passwords);
    job.file.pageSeconds = seconds;
    job.memoryMegabytes = memory;
    job.stopRequested = stop != 0;
    return reader.Ok();
}

std::string EncodeWorkerResult(const FileConversionResult& result)
{
    CFieldWriter fields;
    fields.Int(static_cast<int32_t>(result.outcome))
        .Text(result.documentPath)
        .Text(result.message)
        .Text(result.openedWith)
        .Int(result.counts.pages)
        .Int(result.counts.words)
        .Int(result.counts.scannedPages)
        .Int(result.counts.fontsEmbedded)
        .Int(result.recognisedWords);
    WritePages(fields, result.scannedPages);
    WritePages(fields, result.textPages);
    return fields.Bytes();
}

bool DecodeWorkerResult(const std::string& payload, FileConversionResult& result)
{
    CFieldReader reader(payload);
    int32_t outcome = 0, words = 0;
    reader.Int(outcome);
    reader.Text(result.documentPath);
    reader.Text(result.message);
    reader.Text(result.openedWith);
    reader.Int(result.counts.pages);
    reader.Int(result.counts.words);
    reader.Int(result.counts.scannedPages);
    reader.Int(result.counts.fontsEmbedded);
    reader.Int(words);
    result.recognisedWords = words;
    ReadPages(reader, result.scannedPages);
    ReadPages(reader, result.textPages);
    if (outcome < static_cast<int32_t>(FileOutcome::Converted) || outcome > static_cast<int32_t>(FileOutcome::AbortRun))
        return false;
    result.outcome = static_cast<FileOutcome>(outcome);
    return reader.Ok();
}
