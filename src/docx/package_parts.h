#pragma once
// The small parts of the .docx package around the document text.
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "docx/embedded_fonts.h"

// The face every document has; also the default of its text.
inline constexpr const char* kDefaultFace = "Arial";

std::string ContentTypesXml();
std::string PackageRelationshipsXml();
// The document's relationships: its styles, settings and fonts, and the
// pictures as (relationship id, target under word/) pairs.
std::string DocumentRelationshipsXml(const std::vector<std::pair<std::string, std::string>>& pictures);
std::string StylesXml();
// `embeddedFonts`: the package carries fonts, which readers are asked to use.
std::string SettingsXml(bool embeddedFonts = false);
// The faces in the order given (names as captured, escaped here), then the
// embedded families with their font files.
std::string FontTableXml(const std::vector<std::string>& faces,
                         const std::vector<CEmbeddedFamilyEntry>& embedded = {});
// The font table's relationships to its embedded font files.
std::string FontTableRelationshipsXml(const std::vector<CEmbeddedFamilyEntry>& embedded);
std::string CorePropertiesXml(std::time_t stamp);
std::string AppPropertiesXml(int pages);

// The start and the end of word/document.xml around the body's paragraphs;
// `lastSection` is the properties of the document's last section.
std::string DocumentStartXml();
std::string DocumentEndXml(const std::string& lastSection);
