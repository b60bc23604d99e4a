#pragma once
// The process-wide choices the front end fills when a run starts (the
// wizard's pages, the command line's options). The run's entry reads them
// once into the values it hands down (ConversionOptions, BatchJob); nothing
// below it reads them.
#include <cstdint>
#include <string>
#include <vector>

#include "conversion/conversion_options.h"

struct ConversionSettings {
    std::string outputFolder;         // base of the dated output sub-folder
    int32_t writeTextInTextBoxes = 0; // 0 = flow mode (default), 1 = frame mode
    int32_t deleteAllGraphics = 0;    // 1 = no page picture
    int32_t allPages = 1;             // 1 = every page; 0 = fromPage..toPage
    int32_t fromPage = 0;
    int32_t toPage = 0;
    // 1 = scanned pages get their text (their own text layer, or recognised).
    int32_t recogniseText = 0;
    std::string ocrLanguages = "eng"; // the recognition's languages, '+' between them
    // Dots per inch of the page picture. The text is always captured and
    // placed at 96 dpi; only the picture behind it gets sharper.
    int32_t pictureDpi = 96;
};

extern ConversionSettings g_settings;
extern OutputFormat g_outputFormat;
// A .docx carries the PDF's own fonts (built from its font programs) unless
// the user leaves them out.
extern bool g_embedFonts;

extern std::vector<std::string> g_inputPaths;      // full paths, in the user's order (UTF-8)
extern std::vector<std::string> g_inputNames;      // the input list's texts; only the count is used
extern std::string g_outputSubfolder;              // dated sub-folder of the run
extern std::vector<std::string> g_convertedFiles;  // full paths of the documents stored this run
// Per input path, the folder under g_outputSubfolder its document goes into
// ("" or missing: the sub-folder itself; "a/b" mirrors a folder's tree).
extern std::vector<std::string> g_inputOutputFolders;
// Files converted at once (each by a worker of its own); 1 converts them in
// turn. The wizard keeps 1.
extern int g_jobCount;

// The options g_settings, g_outputFormat and g_embedFonts ask for.
ConversionOptions OptionsFromSettings();
