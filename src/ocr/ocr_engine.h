#pragma once
// Text recognition of a scanned page: one engine per process (loaded once
// by the worker server, inherited by every worker it forks), a grey picture
// of the page in, words with their boxes, baselines, lines and confidences
// out. The page's orientation is found first where the orientation data is
// installed, so a page scanned sideways still reads.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A grey picture, one byte a pixel, rows top-down.
struct COcrImage {
    const uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes from one row to the next
    int dpi = 300;
};

// One recognised word, in the coordinates of the page turned upright (the
// picture itself when its text reads upright; see OcrToGivenPicture).
struct COcrWord {
    std::string text;         // UTF-8
    int left = 0, top = 0, right = 0, bottom = 0;  // box, right and bottom exclusive
    // How the word's own line runs on the upright page: 0 across it, 1 up
    // it (bottom to top: a caption beside a picture), 3 down it. For a
    // line up or down the page, `baseline` is an x.
    int turns = 0;
    double baseline = 0;      // y of the line's baseline at the word's middle
    double lineHeight = 0;    // from the top of the ascenders to the bottom of the descenders
    double strokeWidth = 0;   // the letters' usual stem width (bold text has thick stems)
    // How wide the ink runs just above the baseline against halfway up the
    // letters: serifs make the feet wider than the stems.
    double footRatio = 0;
    float confidence = 0;     // 0..100
    int line = 0;             // index of the word's line on the page
    int paragraph = 0;        // index of its paragraph
};

// Ascender top to descender bottom of the usual text faces, in ems.
inline constexpr double kLineHeightEms = 0.93;

// Which way the page's text reads in the picture.
enum class OcrOrientation { Upright, BottomToTop, UpsideDown, TopToBottom };

struct COcrPage {
    std::vector<COcrWord> words;      // in reading order
    OcrOrientation orientation = OcrOrientation::Upright;
    int width = 0, height = 0;        // the picture as given
    bool cancelled = false;           // the check asked to stop before the end
};

// Quarter turns clockwise that bring text of this orientation upright.
int TurnsToUpright(OcrOrientation orientation);

// A point of the upright page in the picture as it was given.
void OcrToGivenPicture(const COcrPage& page, double xr, double yr, double& x, double& y);

// A word's box in the picture as it was given.
void OcrGivenBox(const COcrPage& page, const COcrWord& word, int& left, int& top, int& right, int& bottom);

class COcrEngine {
public:
    COcrEngine();
    ~COcrEngine();
    COcrEngine(const COcrEngine&) = delete;
    COcrEngine& operator=(const COcrEngine&) = delete;

    // Loads the language data ("eng", "eng+deu"); nothing to do when those
    // languages are loaded already. false with `error` saying which
    // language data is missing.
    bool Load(const std::string& languages, std::string& error);
    bool Loaded() const;
    const std::string& Languages() const { return languages_; }
    // Whether the orientation data was found (pages are then turned upright
    // before they are read).
    bool FindsOrientation() const;

    // Reads the picture. `cancel` is asked now and then (true: give up).
    COcrPage Recognise(const COcrImage& image, const std::function<bool()>& cancel);

private:
    struct CApis;
    std::unique_ptr<CApis> apis_;
    std::string languages_;
};

// The engine of this process.
COcrEngine& ProcessOcrEngine();
