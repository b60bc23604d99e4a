// The .docx font table: each face with what kind of face it is.
#include <gtest/gtest.h>

#include <string>

#include "docx/package_parts.h"

TEST(DocxFontTable, FacesCarryFamilyPitchPanoseAndAlternateName)
{
    const std::string xml = FontTableXml({"Arial", "Courier New", "Nimbus Roman", "Qwertz", "A&B"});
    EXPECT_NE(xml.find("<w:font w:name=\"Arial\"><w:altName w:val=\"Liberation Sans\"/>"
                       "<w:panose1 w:val=\"020B0604020202020204\"/><w:family w:val=\"swiss\"/>"
                       "<w:pitch w:val=\"variable\"/></w:font>"),
              std::string::npos)
        << xml;
    EXPECT_NE(xml.find("<w:font w:name=\"Courier New\"><w:altName w:val=\"Liberation Mono\"/>"
                       "<w:panose1 w:val=\"02070309020205020404\"/><w:family w:val=\"modern\"/>"
                       "<w:pitch w:val=\"fixed\"/></w:font>"),
              std::string::npos);
    // A free face names the Word face that stands for it; no PANOSE is guessed.
    EXPECT_NE(xml.find("<w:font w:name=\"Nimbus Roman\"><w:altName w:val=\"Times New Roman\"/>"
                       "<w:family w:val=\"roman\"/><w:pitch w:val=\"variable\"/></w:font>"),
              std::string::npos);
    EXPECT_NE(xml.find("<w:font w:name=\"Qwertz\"><w:family w:val=\"auto\"/><w:pitch w:val=\"variable\"/></w:font>"),
              std::string::npos);
    EXPECT_NE(xml.find("w:name=\"A&amp;B\""), std::string::npos);
}
