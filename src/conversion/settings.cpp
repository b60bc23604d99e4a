#include "conversion/settings.h"

#include <cmath>

ConversionSettings g_settings;
OutputFormat g_outputFormat = OutputFormat::Doc;
bool g_embedFonts = true;
std::vector<std::string> g_inputPaths;
std::vector<std::string> g_inputNames;
std::string g_outputSubfolder;
std::vector<std::string> g_convertedFiles;
std::vector<std::string> g_inputOutputFolders;
int g_jobCount = 1;

int32_t PixelsToPageTwips(int pixels)
{
    return static_cast<int32_t>(std::ceil(pixels * 1440 / 96 + 0.5));
}
