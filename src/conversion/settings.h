#pragma once
// The choices of one conversion run and the run-wide state shared between the
// front end (wizard or command line) and the worker.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

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
    // Set by the front end's thread, polled by the worker: atomic so the two
    // threads never race on it.
    std::atomic<int32_t> stopRequested{0};
};

// Output format of the store step, chosen in the wizard or on the command line.
enum class OutputFormat { Doc, Docx, Rtf };

// The picture resolutions the wizard offers, and the range the command line
// accepts.
constexpr int32_t kScreenPictureDpi = 96;
constexpr int32_t kPrintPictureDpi = 150;
constexpr int32_t kHighPictureDpi = 300;
constexpr int32_t kMinPictureDpi = 48;
constexpr int32_t kMaxPictureDpi = 600;

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

inline bool FlowMode() { return g_settings.writeTextInTextBoxes == 0; }

// Twips of a page picture side of `pixels` pixels at 96 dpi: integer division
// first, then the ceiling of that plus a half, i.e. one twip more.
int32_t PixelsToPageTwips(int pixels);
