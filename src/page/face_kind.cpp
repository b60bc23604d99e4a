#include "page/face_kind.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

using C = FaceClass;

// Families by the prefix of their compacted name. Longer keys win, so
// "cmtt" (typewriter) beats "cm" and "dejavusansmono" beats "dejavusans".
// The faces are ones Word users have and that fontconfig serves here with a
// face of the same metrics or look (Liberation, Carlito, Caladea, the URW
// clones, DejaVu for Verdana and Consolas): a face it only answers with a
// generic fallback reads back wider or in another style.
constexpr CFamilyRow kFamilies[] = {
    // TeX: Computer Modern, the EC and CM-Super fonts, Latin Modern, CM Unicode.
    {"cm", "Computer Modern", C::Roman, false, "Times New Roman"},
    {"cmss", "Computer Modern Sans", C::Swiss, false, "Arial"},
    {"cmssdc", "Computer Modern Sans", C::Swiss, false, "Arial Narrow", false, true},
    {"cmssq", "Computer Modern Sans", C::Swiss, false, "Arial"},
    {"cmtt", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"cmitt", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"cmsltt", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"cmtcsc", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"cmvtt", "Computer Modern Typewriter", C::Modern, false, "Courier New"},
    {"cmtex", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"cmsy", "Computer Modern Symbols", C::Roman, false, "Times New Roman", true},
    {"cmbsy", "Computer Modern Symbols", C::Roman, false, "Times New Roman", true},
    {"cmex", "Computer Modern Extension", C::Roman, false, "Times New Roman", true},
    {"cmunss", "Computer Modern Sans", C::Swiss, false, "Arial"},
    {"cmuntt", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"msam", "AMS Symbols", C::Roman, false, "Times New Roman", true},
    {"msbm", "AMS Symbols", C::Roman, false, "Times New Roman", true},
    {"stmary", "St Mary Road", C::Roman, false, "Times New Roman", true},
    {"wasy", "Wasy", C::Roman, false, "Times New Roman", true},
    {"lasy", "LaTeX Symbols", C::Roman, false, "Times New Roman", true},
    {"rsfs", "Ralph Smith Formal Script", C::Script, false, "Monotype Corsiva"},
    {"eusm", "Euler Script", C::Script, false, "Monotype Corsiva", true},
    {"eufm", "Euler Fraktur", C::Decor, false, "Times New Roman", true},
    {"sfrm", "Computer Modern", C::Roman, false, "Times New Roman"},
    {"sfbx", "Computer Modern", C::Roman, false, "Times New Roman"},
    {"sfti", "Computer Modern", C::Roman, false, "Times New Roman"},
    {"sfsl", "Computer Modern", C::Roman, false, "Times New Roman"},
    {"sfbi", "Computer Modern", C::Roman, false, "Times New Roman"},
    {"sfcc", "Computer Modern", C::Roman, false, "Times New Roman"},
    {"sfss", "Computer Modern Sans", C::Swiss, false, "Arial"},
    {"sfsx", "Computer Modern Sans", C::Swiss, false, "Arial"},
    {"sfsi", "Computer Modern Sans", C::Swiss, false, "Arial"},
    {"sftt", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"sfit", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"sfst", "Computer Modern Typewriter", C::Modern, true, "Courier New"},
    {"lmroman", "Latin Modern Roman", C::Roman, false, "Times New Roman"},
    {"lmsans", "Latin Modern Sans", C::Swiss, false, "Arial"},
    {"lmmono", "Latin Modern Mono", C::Modern, true, "Courier New"},
    {"lmmath", "Latin Modern Math", C::Roman, false, "Times New Roman", true},
    {"latinmodernroman", "Latin Modern Roman", C::Roman, false, "Times New Roman"},
    {"latinmodernsans", "Latin Modern Sans", C::Swiss, false, "Arial"},
    {"latinmodernmono", "Latin Modern Mono", C::Modern, true, "Courier New"},
    {"lmr", "Latin Modern Roman", C::Roman, false, "Times New Roman"},
    {"lmss", "Latin Modern Sans", C::Swiss, false, "Arial"},
    {"lmtt", "Latin Modern Mono", C::Modern, true, "Courier New"},
    // Times and its clones.
    {"times", "Times", C::Roman, false, "Times New Roman"},
    {"nimbusrom", "Nimbus Roman", C::Roman, false, "Times New Roman"},
    {"nimbusroman", "Nimbus Roman", C::Roman, false, "Times New Roman"},
    {"texgyretermes", "TeX Gyre Termes", C::Roman, false, "Times New Roman"},
    {"liberationserif", "Liberation Serif", C::Roman, false, "Times New Roman"},
    {"tinos", "Tinos", C::Roman, false, "Times New Roman"},
    {"thorndale", "Thorndale", C::Roman, false, "Times New Roman"},
    {"stix", "STIX", C::Roman, false, "Times New Roman"},
    {"xits", "XITS", C::Roman, false, "Times New Roman"},
    {"newtx", "New TX", C::Roman, false, "Times New Roman"},
    {"txr", "TX Fonts", C::Roman, false, "Times New Roman"},
    {"txsy", "TX Fonts", C::Roman, false, "Times New Roman", true},
    {"txex", "TX Fonts", C::Roman, false, "Times New Roman", true},
    {"minion", "Minion", C::Roman, false, "Times New Roman"},
    {"linlibertine", "Linux Libertine", C::Roman, false, "Times New Roman"},
    {"linuxlibertine", "Linux Libertine", C::Roman, false, "Times New Roman"},
    {"libertine", "Linux Libertine", C::Roman, false, "Times New Roman"},
    {"libertinusserif", "Libertinus Serif", C::Roman, false, "Times New Roman"},
    {"libertinusmath", "Libertinus Math", C::Roman, false, "Times New Roman", true},
    {"gentium", "Gentium", C::Roman, false, "Times New Roman"},
    {"utopia", "Utopia", C::Roman, false, "Cambria"},
    {"charter", "Charter", C::Roman, false, "Cambria"},
    {"bitstreamcharter", "Charter", C::Roman, false, "Cambria"},
    {"xcharter", "Charter", C::Roman, false, "Cambria"},
    {"dejavuserif", "DejaVu Serif", C::Roman, false, "Cambria"},
    {"bitstreamveraserif", "Bitstream Vera Serif", C::Roman, false, "Cambria"},
    {"notoserif", "Noto Serif", C::Roman, false, "Cambria"},
    {"droidserif", "Droid Serif", C::Roman, false, "Cambria"},
    {"sourceserif", "Source Serif", C::Roman, false, "Cambria"},
    {"ptserif", "PT Serif", C::Roman, false, "Cambria"},
    {"caladea", "Caladea", C::Roman, false, "Cambria"},
    {"cambria", "Cambria", C::Roman, false, "Cambria"},
    {"georgia", "Georgia", C::Roman, false, "Cambria"},
    {"gelasio", "Gelasio", C::Roman, false, "Cambria"},
    {"constantia", "Constantia", C::Roman, false, "Cambria"},
    {"baskerville", "Baskerville", C::Roman, false, "Times New Roman"},
    {"librebaskerville", "Baskerville", C::Roman, false, "Times New Roman"},
    // Palatino, Bookman, Century Schoolbook, Garamond.
    {"palatino", "Palatino", C::Roman, false, "Palatino Linotype"},
    {"bookantiqua", "Book Antiqua", C::Roman, false, "Palatino Linotype"},
    {"urwpalladio", "URW Palladio", C::Roman, false, "Palatino Linotype"},
    {"palladio", "URW Palladio", C::Roman, false, "Palatino Linotype"},
    {"p052", "P052", C::Roman, false, "Palatino Linotype"},
    {"texgyrepagella", "TeX Gyre Pagella", C::Roman, false, "Palatino Linotype"},
    {"pplr", "Palatino", C::Roman, false, "Palatino Linotype"},
    {"pplb", "Palatino", C::Roman, false, "Palatino Linotype"},
    {"pplri", "Palatino", C::Roman, false, "Palatino Linotype"},
    {"zpzi", "Palatino", C::Roman, false, "Palatino Linotype", true},
    {"pxr", "PX Fonts", C::Roman, false, "Palatino Linotype"},
    {"pxsy", "PX Fonts", C::Roman, false, "Palatino Linotype", true},
    {"bookman", "Bookman", C::Roman, false, "Bookman Old Style"},
    {"urwbookman", "URW Bookman", C::Roman, false, "Bookman Old Style"},
    {"itcbookman", "ITC Bookman", C::Roman, false, "Bookman Old Style"},
    {"texgyrebonum", "TeX Gyre Bonum", C::Roman, false, "Bookman Old Style"},
    {"centuryschoolbook", "Century Schoolbook", C::Roman, false, "Century Schoolbook"},
    {"centuryschl", "Century Schoolbook", C::Roman, false, "Century Schoolbook"},
    {"newcenturyschlbk", "New Century Schoolbook", C::Roman, false, "Century Schoolbook"},
    {"ncenturyschoolbook", "New Century Schoolbook", C::Roman, false, "Century Schoolbook"},
    {"c059", "C059", C::Roman, false, "Century Schoolbook"},
    {"texgyreschola", "TeX Gyre Schola", C::Roman, false, "Century Schoolbook"},
    {"garamond", "Garamond", C::Roman, false, "Palatino Linotype"},
    {"ebgaramond", "EB Garamond", C::Roman, false, "Palatino Linotype"},
    {"adobegaramond", "Adobe Garamond", C::Roman, false, "Palatino Linotype"},
    {"agaramond", "Adobe Garamond", C::Roman, false, "Palatino Linotype"},
    {"stempelgaramond", "Stempel Garamond", C::Roman, false, "Palatino Linotype"},
    {"itcgaramond", "ITC Garamond", C::Roman, false, "Palatino Linotype"},
    {"cormorantgaramond", "Cormorant Garamond", C::Roman, false, "Palatino Linotype"},
    // Helvetica, Arial and their clones.
    {"helvetica", "Helvetica", C::Swiss, false, "Arial"},
    {"helveticanarrow", "Helvetica Narrow", C::Swiss, false, "Arial Narrow", false, true},
    {"helveticacondensed", "Helvetica Condensed", C::Swiss, false, "Arial Narrow", false, true},
    {"arial", "Arial", C::Swiss, false, "Arial"},
    {"arialnarrow", "Arial Narrow", C::Swiss, false, "Arial Narrow", false, true},
    {"nimbussan", "Nimbus Sans", C::Swiss, false, "Arial"},
    {"nimbussans", "Nimbus Sans", C::Swiss, false, "Arial"},
    {"nimbussansnarrow", "Nimbus Sans Narrow", C::Swiss, false, "Arial Narrow", false, true},
    {"nimbussanlbolcond", "Nimbus Sans Narrow", C::Swiss, false, "Arial Narrow", false, true},
    {"nimbussanlregucond", "Nimbus Sans Narrow", C::Swiss, false, "Arial Narrow", false, true},
    {"texgyreheros", "TeX Gyre Heros", C::Swiss, false, "Arial"},
    {"texgyreheroscn", "TeX Gyre Heros Condensed", C::Swiss, false, "Arial Narrow", false, true},
    {"liberationsans", "Liberation Sans", C::Swiss, false, "Arial"},
    {"liberationsansnarrow", "Liberation Sans Narrow", C::Swiss, false, "Arial Narrow", false, true},
    {"arimo", "Arimo", C::Swiss, false, "Arial"},
    {"albany", "Albany", C::Swiss, false, "Arial"},
    {"univers", "Univers", C::Swiss, false, "Arial"},
    {"swiss721", "Swiss 721", C::Swiss, false, "Arial"},
    {"phvr", "Helvetica", C::Swiss, false, "Arial"},
    {"phvb", "Helvetica", C::Swiss, false, "Arial"},
    {"franklingothic", "Franklin Gothic", C::Swiss, false, "Arial"},
    // Humanist sans faces, closest to Calibri in width and look.
    {"myriad", "Myriad", C::Swiss, false, "Calibri"},
    {"sourcesans", "Source Sans", C::Swiss, false, "Calibri"},
    {"frutiger", "Frutiger", C::Swiss, false, "Calibri"},
    {"opensans", "Open Sans", C::Swiss, false, "Calibri"},
    {"lato", "Lato", C::Swiss, false, "Calibri"},
    {"fira", "Fira Sans", C::Swiss, false, "Calibri"},
    {"notosans", "Noto Sans", C::Swiss, false, "Calibri"},
    {"droidsans", "Droid Sans", C::Swiss, false, "Calibri"},
    {"roboto", "Roboto", C::Swiss, false, "Calibri"},
    {"ptsans", "PT Sans", C::Swiss, false, "Calibri"},
    {"linbiolinum", "Linux Biolinum", C::Swiss, false, "Calibri"},
    {"linuxbiolinum", "Linux Biolinum", C::Swiss, false, "Calibri"},
    {"biolinum", "Linux Biolinum", C::Swiss, false, "Calibri"},
    {"libertinussans", "Libertinus Sans", C::Swiss, false, "Calibri"},
    {"carlito", "Carlito", C::Swiss, false, "Calibri"},
    {"calibri", "Calibri", C::Swiss, false, "Calibri"},
    {"candara", "Candara", C::Swiss, false, "Calibri"},
    {"corbel", "Corbel", C::Swiss, false, "Calibri"},
    {"segoeui", "Segoe UI", C::Swiss, false, "Calibri"},
    {"segoeuisymbol", "Segoe UI Symbol", C::Decor, false, "Segoe UI Symbol", true},
    {"optima", "Optima", C::Swiss, false, "Calibri"},
    {"gillsans", "Gill Sans", C::Swiss, false, "Calibri"},
    {"ubuntu", "Ubuntu", C::Swiss, false, "Calibri"},
    {"cantarell", "Cantarell", C::Swiss, false, "Calibri"},
    {"verdana", "Verdana", C::Swiss, false, "Verdana"},
    {"dejavusans", "DejaVu Sans", C::Swiss, false, "Verdana"},
    {"dejavusanscondensed", "DejaVu Sans Condensed", C::Swiss, false, "Arial Narrow", false, true},
    {"bitstreamverasans", "Bitstream Vera Sans", C::Swiss, false, "Verdana"},
    {"tahoma", "Tahoma", C::Swiss, false, "Tahoma"},
    {"trebuchet", "Trebuchet MS", C::Swiss, false, "Arial"},
    {"lucidasans", "Lucida Sans", C::Swiss, false, "Arial"},
    {"lucidagrande", "Lucida Grande", C::Swiss, false, "Arial"},
    {"avantgarde", "Avant Garde", C::Swiss, false, "Century Gothic"},
    {"itcavantgarde", "ITC Avant Garde Gothic", C::Swiss, false, "Century Gothic"},
    {"urwgothic", "URW Gothic", C::Swiss, false, "Century Gothic"},
    {"texgyreadventor", "TeX Gyre Adventor", C::Swiss, false, "Century Gothic"},
    {"centurygothic", "Century Gothic", C::Swiss, false, "Century Gothic"},
    {"futura", "Futura", C::Swiss, false, "Century Gothic"},
    {"pagd", "Avant Garde", C::Swiss, false, "Century Gothic"},
    // Monospaced faces.
    {"courier", "Courier", C::Modern, true, "Courier New"},
    {"nimbusmon", "Nimbus Mono", C::Modern, true, "Courier New"},
    {"nimbusmono", "Nimbus Mono", C::Modern, true, "Courier New"},
    {"texgyrecursor", "TeX Gyre Cursor", C::Modern, true, "Courier New"},
    {"liberationmono", "Liberation Mono", C::Modern, true, "Courier New"},
    {"cousine", "Cousine", C::Modern, true, "Courier New"},
    {"cumberland", "Cumberland", C::Modern, true, "Courier New"},
    {"pcrr", "Courier", C::Modern, true, "Courier New"},
    {"pcrb", "Courier", C::Modern, true, "Courier New"},
    {"dejavusansmono", "DejaVu Sans Mono", C::Modern, true, "Consolas"},
    {"bitstreamverasansmono", "Bitstream Vera Sans Mono", C::Modern, true, "Consolas"},
    {"sourcecode", "Source Code Pro", C::Modern, true, "Consolas"},
    {"inconsolata", "Inconsolata", C::Modern, true, "Consolas"},
    {"consolas", "Consolas", C::Modern, true, "Consolas"},
    {"menlo", "Menlo", C::Modern, true, "Consolas"},
    {"monaco", "Monaco", C::Modern, true, "Consolas"},
    {"firamono", "Fira Mono", C::Modern, true, "Consolas"},
    {"firacode", "Fira Code", C::Modern, true, "Consolas"},
    {"ubuntumono", "Ubuntu Mono", C::Modern, true, "Consolas"},
    {"notosansmono", "Noto Sans Mono", C::Modern, true, "Consolas"},
    {"beramono", "Bera Mono", C::Modern, true, "Consolas"},
    {"luximono", "Luxi Mono", C::Modern, true, "Courier New"},
    {"lucidaconsole", "Lucida Console", C::Modern, true, "Consolas"},
    {"lucidatypewriter", "Lucida Typewriter", C::Modern, true, "Consolas"},
    {"andalemono", "Andale Mono", C::Modern, true, "Consolas"},
    {"txtt", "TX Typewriter", C::Modern, true, "Courier New"},
    // Scripts, symbols and dingbats.
    {"zapfchancery", "Zapf Chancery", C::Script, false, "Monotype Corsiva"},
    {"itczapfchancery", "ITC Zapf Chancery", C::Script, false, "Monotype Corsiva"},
    {"urwchancery", "URW Chancery", C::Script, false, "Monotype Corsiva"},
    {"z003", "Z003", C::Script, false, "Monotype Corsiva"},
    {"texgyrechorus", "TeX Gyre Chorus", C::Script, false, "Monotype Corsiva"},
    {"monotypecorsiva", "Monotype Corsiva", C::Script, false, "Monotype Corsiva"},
    {"brushscript", "Brush Script", C::Script, false, "Brush Script MT"},
    {"comicsans", "Comic Sans", C::Script, false, "Comic Sans MS"},
    {"symbol", "Symbol", C::Roman, false, "Symbol", true},
    {"standardsymbols", "Standard Symbols", C::Roman, false, "Symbol", true},
    {"zapfdingbats", "Zapf Dingbats", C::Decor, false, "Segoe UI Symbol", true},
    {"dingbats", "Dingbats", C::Decor, false, "Segoe UI Symbol", true},
    {"d050000l", "Dingbats", C::Decor, false, "Segoe UI Symbol", true},
    {"wingdings", "Wingdings", C::Decor, false, "Wingdings", true},
    {"webdings", "Webdings", C::Decor, false, "Webdings", true},
    {"cambriamath", "Cambria Math", C::Roman, false, "Cambria Math", true},
    // CJK families.
    {"simsun", "SimSun", C::Roman, false, "SimSun"},
    {"nsimsun", "NSimSun", C::Modern, true, "NSimSun"},
    {"song", "Song", C::Roman, false, "SimSun"},
    {"stsong", "STSong", C::Roman, false, "SimSun"},
    {"adobesong", "Adobe Song", C::Roman, false, "SimSun"},
    {"fangsong", "FangSong", C::Roman, false, "FangSong"},
    {"simhei", "SimHei", C::Swiss, false, "SimHei"},
    {"heiti", "Heiti", C::Swiss, false, "SimHei"},
    {"stheiti", "STHeiti", C::Swiss, false, "SimHei"},
    {"adobeheiti", "Adobe Heiti", C::Swiss, false, "SimHei"},
    {"kaiti", "KaiTi", C::Script, false, "KaiTi"},
    {"stkaiti", "STKaiti", C::Script, false, "KaiTi"},
    {"microsoftyahei", "Microsoft YaHei", C::Swiss, false, "Microsoft YaHei"},
    {"mingliu", "MingLiU", C::Roman, false, "PMingLiU"},
    {"pmingliu", "PMingLiU", C::Roman, false, "PMingLiU"},
    {"adobeming", "Adobe Ming", C::Roman, false, "PMingLiU"},
    {"microsoftjhenghei", "Microsoft JhengHei", C::Swiss, false, "Microsoft JhengHei"},
    {"msmincho", "MS Mincho", C::Roman, false, "MS Mincho"},
    {"mspmincho", "MS PMincho", C::Roman, false, "MS Mincho"},
    {"ipamincho", "IPA Mincho", C::Roman, false, "MS Mincho"},
    {"ipaexmincho", "IPAex Mincho", C::Roman, false, "MS Mincho"},
    {"kozmin", "Kozuka Mincho", C::Roman, false, "MS Mincho"},
    {"ryumin", "Ryumin", C::Roman, false, "MS Mincho"},
    {"heiseimin", "Heisei Mincho", C::Roman, false, "MS Mincho"},
    {"hiraginomincho", "Hiragino Mincho", C::Roman, false, "MS Mincho"},
    {"msgothic", "MS Gothic", C::Swiss, false, "MS Gothic"},
    {"mspgothic", "MS PGothic", C::Swiss, false, "MS Gothic"},
    {"ipagothic", "IPA Gothic", C::Swiss, false, "MS Gothic"},
    {"ipaexgothic", "IPAex Gothic", C::Swiss, false, "MS Gothic"},
    {"kozgo", "Kozuka Gothic", C::Swiss, false, "MS Gothic"},
    {"gothicbbb", "Gothic BBB", C::Swiss, false, "MS Gothic"},
    {"heiseikakugo", "Heisei Kaku Gothic", C::Swiss, false, "MS Gothic"},
    {"hiraginokaku", "Hiragino Kaku Gothic", C::Swiss, false, "MS Gothic"},
    {"meiryo", "Meiryo", C::Swiss, false, "Meiryo"},
    {"yugothic", "Yu Gothic", C::Swiss, false, "Yu Gothic"},
    {"yumincho", "Yu Mincho", C::Roman, false, "Yu Mincho"},
    {"batang", "Batang", C::Roman, false, "Batang"},
    {"myeongjo", "Myeongjo", C::Roman, false, "Batang"},
    {"hygsmyeongjo", "HY Myeongjo", C::Roman, false, "Batang"},
    {"gulim", "Gulim", C::Swiss, false, "Gulim"},
    {"dotum", "Dotum", C::Swiss, false, "Gulim"},
    {"malgungothic", "Malgun Gothic", C::Swiss, false, "Malgun Gothic"},
    {"nanumgothic", "Nanum Gothic", C::Swiss, false, "Malgun Gothic"},
    {"nanummyeongjo", "Nanum Myeongjo", C::Roman, false, "Batang"},
    {"sourcehansans", "Source Han Sans", C::Swiss, false, "Microsoft YaHei"},
    {"sourcehanserif", "Source Han Serif", C::Roman, false, "SimSun"},
    {"notosanscjk", "Noto Sans CJK", C::Swiss, false, "Microsoft YaHei"},
    {"notosanscjkjp", "Noto Sans CJK JP", C::Swiss, false, "MS Gothic"},
    {"notosanscjkkr", "Noto Sans CJK KR", C::Swiss, false, "Malgun Gothic"},
    {"notosanscjktc", "Noto Sans CJK TC", C::Swiss, false, "Microsoft JhengHei"},
    {"notoserifcjk", "Noto Serif CJK", C::Roman, false, "SimSun"},
    {"notoserifcjkjp", "Noto Serif CJK JP", C::Roman, false, "MS Mincho"},
    {"notoserifcjkkr", "Noto Serif CJK KR", C::Roman, false, "Batang"},
    {"notoserifcjktc", "Noto Serif CJK TC", C::Roman, false, "PMingLiU"},
    {"wenquanyi", "WenQuanYi", C::Swiss, false, "Microsoft YaHei"},
    {"wqy", "WenQuanYi", C::Swiss, false, "Microsoft YaHei"},
    // Arabic and Hebrew faces of Word documents.
    {"traditionalarabic", "Traditional Arabic", C::Roman, false, "Traditional Arabic"},
    {"simplifiedarabic", "Simplified Arabic", C::Roman, false, "Simplified Arabic"},
    {"arabictypesetting", "Arabic Typesetting", C::Script, false, "Arabic Typesetting"},
    {"amiri", "Amiri", C::Roman, false, "Traditional Arabic"},
    {"scheherazade", "Scheherazade", C::Roman, false, "Traditional Arabic"},
    {"davidclm", "David CLM", C::Roman, false, "David"},
    {"frankruehl", "Frank Ruehl", C::Roman, false, "FrankRuehl"},
};

struct CWordFace {
    const char* name;
    FaceClass faceClass;
    int pitch;
    const char* altName;  // the face LibreOffice on Linux serves for it
    const char* panose;
};

// Faces Word users have, with the free faces that fontconfig puts in their
// place (metric-compatible where one exists).
constexpr CWordFace kWordFaces[] = {
    {"Arial", C::Swiss, 2, "Liberation Sans", "020B0604020202020204"},
    {"Arial Narrow", C::Swiss, 2, "Liberation Sans Narrow", "020B0606020202030204"},
    {"Times New Roman", C::Roman, 2, "Liberation Serif", "02020603050405020304"},
    {"Courier New", C::Modern, 1, "Liberation Mono", "02070309020205020404"},
    {"Calibri", C::Swiss, 2, "Carlito", "020F0502020204030204"},
    {"Cambria", C::Roman, 2, "Caladea", "02040503050406030204"},
    {"Cambria Math", C::Roman, 2, "", "02040503050406030204"},
    {"Georgia", C::Roman, 2, "Gelasio", "02040502050405020303"},
    {"Palatino Linotype", C::Roman, 2, "P052", "02040502050505030304"},
    {"Book Antiqua", C::Roman, 2, "P052", "02040602050305030304"},
    {"Bookman Old Style", C::Roman, 2, "URW Bookman", "02050604050505020204"},
    {"Century Schoolbook", C::Roman, 2, "C059", "02040604050505020304"},
    {"Century Gothic", C::Swiss, 2, "URW Gothic", "020B0502020202020204"},
    {"Monotype Corsiva", C::Script, 2, "Z003", "03010101010201010101"},
    {"Garamond", C::Roman, 2, "", "02020404030301010803"},
    {"Verdana", C::Swiss, 2, "DejaVu Sans", "020B0604030504040204"},
    {"Tahoma", C::Swiss, 2, "DejaVu Sans", "020B0604030504040204"},
    {"Trebuchet MS", C::Swiss, 2, "", "020B0603020202020204"},
    {"Segoe UI", C::Swiss, 2, "", "020B0502040204020203"},
    {"Segoe UI Symbol", C::Swiss, 2, "DejaVu Sans", "020B0502040204020203"},
    {"Gill Sans MT", C::Swiss, 2, "", "020B0502020104020203"},
    {"Franklin Gothic Book", C::Swiss, 2, "", "020B0503020102020204"},
    {"Lucida Sans Unicode", C::Swiss, 2, "DejaVu Sans", "020B0602030504020204"},
    {"Consolas", C::Modern, 1, "DejaVu Sans Mono", "020B0609020204030204"},
    {"Lucida Console", C::Modern, 1, "DejaVu Sans Mono", "020B0609040504020204"},
    {"Comic Sans MS", C::Script, 2, "", "030F0702030302020204"},
    {"Brush Script MT", C::Script, 2, "", "03060802040406070304"},
    {"Symbol", C::Roman, 2, "Standard Symbols PS", "05050102010706020507"},
    {"Wingdings", C::Decor, 2, "", "05000000000000000000"},
    {"Webdings", C::Decor, 2, "", "05030102010509060703"},
    {"SimSun", C::Roman, 2, "", "02010600030101010101"},
    {"SimHei", C::Swiss, 2, "", "02010609060101010101"},
    {"MS Mincho", C::Roman, 1, "", "02020609040205080304"},
    {"MS Gothic", C::Swiss, 1, "", "020B0609070205080204"},
    {"Batang", C::Roman, 2, "", "02030600000101010101"},
    {"Malgun Gothic", C::Swiss, 2, "", "020B0503020000020004"},
    {"Microsoft YaHei", C::Swiss, 2, "WenQuanYi Micro Hei", "020B0503020204020204"},
    {"PMingLiU", C::Roman, 2, "", "02010601000101010101"},
};

bool IsSkipped(char c) { return c == ' ' || c == '-' || c == '_' || c == ','; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool SameFace(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

bool Contains(const std::string& compact, const char* word) { return compact.find(word) != std::string::npos; }

// The class the words of a name give, when no table knows the family.
FaceClass ClassFromWords(const std::string& compact)
{
    for (const char* word : {"mono", "typewriter", "courier", "code", "console", "fixed"})
        if (Contains(compact, word)) return C::Modern;
    for (const char* word : {"script", "hand", "chancery", "brush", "calligraph", "kursiv"})
        if (Contains(compact, word)) return C::Script;
    for (const char* word : {"sans", "gothic", "grotesk", "grotesque", "heiti"})
        if (Contains(compact, word)) return C::Swiss;
    for (const char* word : {"serif", "roman", "antiqua", "times", "mincho", "song", "ming"})
        if (Contains(compact, word)) return C::Roman;
    return C::Unknown;
}

}  // namespace

FaceClass ClassFromName(std::string_view name) { return ClassFromWords(CompactFaceName(name)); }

std::string CompactFaceName(std::string_view name)
{
    const size_t plus = name.find('+');
    if (plus != std::string_view::npos) name.remove_prefix(plus + 1);
    std::string out;
    out.reserve(name.size());
    for (char c : name)
        if (!IsSkipped(c)) out.push_back(Lower(c));
    return out;
}

const CFamilyRow* FindFamilyRow(std::string_view name)
{
    const std::string compact = CompactFaceName(name);
    const CFamilyRow* best = nullptr;
    size_t bestLength = 0;
    for (const CFamilyRow& row : kFamilies) {
        const size_t length = std::strlen(row.key);
        if (length > bestLength && compact.compare(0, length, row.key) == 0) {
            best = &row;
            bestLength = length;
        }
    }
    return best;
}

const char* DefaultFaceOf(FaceClass faceClass)
{
    switch (faceClass) {
    case C::Roman: return "Times New Roman";
    case C::Modern: return "Courier New";
    case C::Script: return "Monotype Corsiva";
    case C::Swiss:
    case C::Decor:
    case C::Unknown: break;
    }
    return "Arial";
}

CFaceKind FaceKindOf(std::string_view face)
{
    CFaceKind kind;
    for (const CWordFace& word : kWordFaces) {
        if (!SameFace(face, word.name)) continue;
        kind.faceClass = word.faceClass;
        kind.pitch = word.pitch;
        kind.altName = word.altName;
        kind.panose = word.panose;
        return kind;
    }
    if (const CFamilyRow* row = FindFamilyRow(face)) {
        kind.faceClass = row->faceClass;
        kind.pitch = row->fixedPitch ? 1 : 2;
        // A free face names the Word face that stands for it.
        if (!SameFace(face, row->face)) kind.altName = row->face;
        return kind;
    }
    kind.faceClass = ClassFromWords(CompactFaceName(face));
    if (kind.faceClass == C::Modern) kind.pitch = 1;
    return kind;
}

const char* RtfFamilyWord(FaceClass faceClass)
{
    switch (faceClass) {
    case C::Roman: return "roman";
    case C::Swiss: return "swiss";
    case C::Modern: return "modern";
    case C::Script: return "script";
    case C::Decor: return "decor";
    case C::Unknown: break;
    }
    return "nil";
}

const char* DocxFamilyValue(FaceClass faceClass)
{
    switch (faceClass) {
    case C::Roman: return "roman";
    case C::Swiss: return "swiss";
    case C::Modern: return "modern";
    case C::Script: return "script";
    case C::Decor: return "decorative";
    case C::Unknown: break;
    }
    return "auto";
}
