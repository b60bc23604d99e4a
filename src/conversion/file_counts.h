#pragma once
// What one file's conversion counted, for the run's report. The worker fills
// it as the pages go and sends it with the file's result.
#include <cstdint>

struct FileCounts {
    int32_t pages = 0;          // pages written to the document
    int32_t words = 0;          // words of the captured text, as the runs hold them
    int32_t scannedPages = 0;   // pages whose text came from recognising the picture
    int32_t fontsEmbedded = 0;  // faces embedded in the document
};
