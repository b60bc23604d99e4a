#include "docx/package_parts.h"

#include "docx/xml_text.h"
#include "page/face_kind.h"

namespace {

constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* kWordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr const char* kRelationshipTypes = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
// The author and company the documents carry.
constexpr const char* kAuthor = "Tarnwick";

std::string Relationship(const std::string& id, const std::string& type, const std::string& target)
{
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationshipTypes + type + "\" Target=\"" + target + "\"/>";
}

std::string W3cTime(std::time_t stamp)
{
    std::tm utc{};
    gmtime_r(&stamp, &utc);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return buffer;
}

}  // namespace

std::string ContentTypesXml()
{
    return std::string(kXmlDeclaration) +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Default Extension=\"jpeg\" ContentType=\"image/jpeg\"/>"
           "<Default Extension=\"odttf\" ContentType=\"application/vnd.openxmlformats-officedocument.obfuscatedFont\"/>"
           "<Override PartName=\"/word/document.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
           "<Override PartName=\"/word/styles.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
           "<Override PartName=\"/word/settings.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>"
           "<Override PartName=\"/word/fontTable.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml\"/>"
           "<Override PartName=\"/docProps/core.xml\" "
           "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
           "<Override PartName=\"/docProps/app.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
           "</Types>";
}

std::string PackageRelationshipsXml()
{
    return std::string(kXmlDeclaration) +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
           Relationship("rId1", "officeDocument", "word/document.xml") +
           "<Relationship Id=\"rId2\" "
           "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties\" "
           "Target=\"docProps/core.xml\"/>" +
           Relationship("rId3", "extended-properties", "docProps/app.xml") + "</Relationships>";
}

std::string DocumentRelationshipsXml(const std::vector<std::pair<std::string, std::string>>& pictures)
{
    std::string xml = std::string(kXmlDeclaration) +
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
                      Relationship("rId1", "styles", "styles.xml") + Relationship("rId2", "settings", "settings.xml") +
                      Relationship("rId3", "fontTable", "fontTable.xml");
    for (const auto& [id, target] : pictures)
        xml += Relationship(id, "image", target);
    xml += "</Relationships>";
    return xml;
}

std::string StylesXml()
{
    // Paragraphs without space around them and single line spacing unless
    // they say otherwise; 12-point Arial as the default text, kerned at every
    // size as readers set RTF text: unkerned, a line comes out wider in the
    // .docx than in the RTF of the same page.
    return std::string(kXmlDeclaration) + "<w:styles xmlns:w=\"" + kWordNamespace +
           "\"><w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"" + kDefaultFace + "\" w:hAnsi=\"" +
           kDefaultFace + "\" w:eastAsia=\"" + kDefaultFace + "\" w:cs=\"" + kDefaultFace +
           "\"/><w:kern w:val=\"1\"/><w:color w:val=\"000000\"/><w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/></w:rPr></w:rPrDefault>"
           "<w:pPrDefault><w:pPr><w:spacing w:before=\"0\" w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/>"
           "</w:pPr></w:pPrDefault></w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
           "<w:qFormat/></w:style>"
           "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
           "<w:name w:val=\"Default Paragraph Font\"/><w:uiPriority w:val=\"1\"/><w:semiHidden/></w:style>"
           "</w:styles>";
}

std::string SettingsXml(bool embeddedFonts)
{
    // Embedded fonts are subsets: readers use them and keep them when saving.
    return std::string(kXmlDeclaration) + "<w:settings xmlns:w=\"" + kWordNamespace +
           "\"><w:view w:val=\"print\"/><w:zoom w:percent=\"100\"/>" +
           (embeddedFonts ? "<w:embedTrueTypeFonts/><w:saveSubsetFonts/>" : "") + "<w:defaultTabStop w:val=\"720\"/>"
           "<w:characterSpacingControl w:val=\"doNotCompress\"/><w:compat><w:compatSetting "
           "w:name=\"compatibilityMode\" w:uri=\"http://schemas.microsoft.com/office/word\" w:val=\"15\"/>"
           "</w:compat></w:settings>";
}

std::string FontTableXml(const std::vector<std::string>& faces, const std::vector<CEmbeddedFamilyEntry>& embedded)
{
    std::string xml = std::string(kXmlDeclaration) + "<w:fonts xmlns:w=\"" + kWordNamespace +
                      "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    for (const std::string& face : faces) {
        // What kind of face it is, so that a reader without it substitutes alike.
        const CFaceKind kind = FaceKindOf(face);
        xml += "<w:font w:name=\"";
        AppendXmlAttribute(xml, face);
        xml += "\">";
        if (!kind.altName.empty()) {
            xml += "<w:altName w:val=\"";
            AppendXmlAttribute(xml, kind.altName);
            xml += "\"/>";
        }
        if (!kind.panose.empty())
            xml += "<w:panose1 w:val=\"" + kind.panose + "\"/>";
        xml += std::string("<w:family w:val=\"") + DocxFamilyValue(kind.faceClass) + "\"/><w:pitch w:val=\"" +
               (kind.pitch == 1 ? "fixed" : "variable") + "\"/></w:font>";
    }
    static const char* const kEmbedElements[4] = {"w:embedRegular", "w:embedBold", "w:embedItalic",
                                                  "w:embedBoldItalic"};
    for (const CEmbeddedFamilyEntry& family : embedded) {
        xml += "<w:font w:name=\"";
        AppendXmlAttribute(xml, family.name);
        xml += "\">";
        if (!family.altFace.empty()) {
            xml += "<w:altName w:val=\"";
            AppendXmlAttribute(xml, family.altFace);
            xml += "\"/>";
        }
        xml += "<w:charset w:val=\"00\"/><w:family w:val=\"auto\"/><w:pitch w:val=\"variable\"/>";
        // In the schema's order: regular, bold, italic, bold italic.
        for (int slot = 0; slot < 4; ++slot)
            for (const CEmbeddedFontFile& file : family.files)
                if (file.slot == slot)
                    xml += std::string("<") + kEmbedElements[slot] + " r:id=\"" + file.relationId + "\" w:fontKey=\"" +
                           file.key + "\" w:subsetted=\"1\"/>";
        xml += "</w:font>";
    }
    xml += "</w:fonts>";
    return xml;
}

std::string FontTableRelationshipsXml(const std::vector<CEmbeddedFamilyEntry>& embedded)
{
    std::string xml = std::string(kXmlDeclaration) +
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const CEmbeddedFamilyEntry& family : embedded)
        for (const CEmbeddedFontFile& file : family.files)
            xml += Relationship(file.relationId, "font", file.target);
    xml += "</Relationships>";
    return xml;
}

std::string CorePropertiesXml(std::time_t stamp)
{
    const std::string time = W3cTime(stamp);
    return std::string(kXmlDeclaration) +
           "<cp:coreProperties "
           "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
           "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
           "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
           "<dc:creator>" + kAuthor + "</dc:creator><cp:lastModifiedBy>" + kAuthor + "</cp:lastModifiedBy>"
           "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" + time + "</dcterms:created>"
           "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + time + "</dcterms:modified></cp:coreProperties>";
}

std::string AppPropertiesXml(int pages)
{
    std::string xml = std::string(kXmlDeclaration) +
                      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\">"
                      "<Application>Paperwell</Application><Company>" + kAuthor + "</Company><Pages>";
    AppendInt(xml, pages);
    xml += "</Pages></Properties>";
    return xml;
}

std::string DocumentStartXml()
{
    return std::string(kXmlDeclaration) +
           "<w:document xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
           "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
           "xmlns:w=\"" + kWordNamespace + "\" "
           "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
           "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
           "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\" "
           "xmlns:wps=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><w:body>";
}

std::string DocumentEndXml(const std::string& lastSection)
{
    return lastSection + "</w:body></w:document>";
}
