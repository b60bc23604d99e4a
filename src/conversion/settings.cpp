#include "conversion/settings.h"

ConversionSettings g_settings;
OutputFormat g_outputFormat = OutputFormat::Doc;
bool g_embedFonts = true;
std::vector<std::string> g_inputPaths;
std::vector<std::string> g_inputNames;
std::string g_outputSubfolder;
std::vector<std::string> g_convertedFiles;
std::vector<std::string> g_inputOutputFolders;
int g_jobCount = 1;

ConversionOptions OptionsFromSettings()
{
    ConversionOptions options;
    options.textMode = g_settings.writeTextInTextBoxes != 0 ? TextMode::Frames : TextMode::Flow;
    options.deleteGraphics = g_settings.deleteAllGraphics != 0;
    options.allPages = g_settings.allPages != 0;
    options.fromPage = g_settings.fromPage;
    options.toPage = g_settings.toPage;
    options.recogniseText = g_settings.recogniseText != 0;
    options.ocrLanguages = g_settings.ocrLanguages;
    options.pictureDpi = g_settings.pictureDpi;
    options.format = g_outputFormat;
    options.embedFonts = g_embedFonts;
    return options;
}
