#include "conversion/page_picture.h"

#include <csetjmp>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>

namespace {

constexpr int kMaxQuality = 100;          // highest quality libjpeg accepts
constexpr int kBytesPerPixel = 3;         // B,G,R in the bitmap, R,G,B in the picture
constexpr int kSupportedBitCount = 24;    // the only depth the renderer hands over
constexpr int kRowAlignment = 4;          // bitmap rows are padded to this many bytes

const char* const kInvalidInput = "Invalid input data";
const char* const kInvalidBitCount = "Invalid bitmap bit count";

// libjpeg reports fatal errors through error_exit, which by default ends the
// process. Jumping back into SaveBitmapAsJpeg instead lets a full disk cost
// only the page's picture.
struct CJpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jumpBack;
};

void JumpOnJpegError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<CJpegErrorManager*>(info->err);
    std::longjmp(manager->jumpBack, 1);
}

// Copies the bitmap into `rows`, swapping blue and red and dropping the row
// filler. Returns the error text, empty on success.
std::string ConvertPixels(const uint8_t* pixels, const CBitmapInfoHeader& header, JSAMPARRAY rows)
{
    if (pixels == nullptr)
        return kInvalidInput;
    if (header.biBitCount != kSupportedBitCount)
        return kInvalidBitCount;
    const long width = header.biWidth;
    const long outRowLength = kBytesPerPixel * width;
    if (outRowLength <= 0)
        return kInvalidInput;
    const long inRowLength = (outRowLength + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
    for (long r = 0; r < header.biHeight; ++r) {
        const uint8_t* in = pixels + r * inRowLength;
        JSAMPROW out = rows[r];
        for (long x = 0; x < width; ++x, in += kBytesPerPixel, out += kBytesPerPixel) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return {};
}

// What the header must hold before libjpeg is started on it: libjpeg raises
// a fatal error on an empty image.
std::string CheckHeader(const CBitmapInfoHeader& header)
{
    if (header.biBitCount != kSupportedBitCount)
        return kInvalidBitCount;
    if (header.biWidth <= 0 || header.biHeight <= 0)
        return kInvalidInput;
    return {};
}

// The picture file being written: removed again unless it was finished.
// Only a regular file is removed: the path may name a device.
class CJpegFile {
public:
    explicit CJpegFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "wb"))
    {
        struct stat info {};
        regular_ = file_ && fstat(fileno(file_), &info) == 0 && S_ISREG(info.st_mode);
    }
    ~CJpegFile()
    {
        if (file_)
            std::fclose(file_);
        if (!finished_ && regular_)
            unlink(path_.c_str());
    }
    CJpegFile(const CJpegFile&) = delete;
    CJpegFile& operator=(const CJpegFile&) = delete;

    std::FILE* Stream() const { return file_; }
    // The last buffered bytes reach the disk only here; false when they did not.
    bool Finish()
    {
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        finished_ = closed;
        return closed;
    }

private:
    const std::string& path_;
    std::FILE* file_;
    bool regular_ = false;
    bool finished_ = false;
};

// Compresses the checked bitmap into `file`: kJpegOk, or the code with
// `errorText` set.
int CompressBitmap(const uint8_t* pixels, const CBitmapInfoHeader& header, int quality, std::FILE* file,
                   std::string& errorText)
{
    // Both live in memory (their addresses go to libjpeg), so they keep their
    // values across the longjmp back to the setjmp below.
    jpeg_compress_struct compressor {};
    CJpegErrorManager errorManager {};
    compressor.err = jpeg_std_error(&errorManager.base);
    errorManager.base.error_exit = JumpOnJpegError;
    if (setjmp(errorManager.jumpBack)) {
        char message[JMSG_LENGTH_MAX] = {};
        (*compressor.err->format_message)(reinterpret_cast<j_common_ptr>(&compressor), message);
        errorText = message;
        jpeg_destroy_compress(&compressor);
        return kJpegLibraryFailed;
    }
    jpeg_create_compress(&compressor);
    jpeg_stdio_dest(&compressor, file);
    compressor.image_width = static_cast<JDIMENSION>(header.biWidth);
    compressor.image_height = static_cast<JDIMENSION>(header.biHeight);
    compressor.input_components = kBytesPerPixel;
    compressor.in_color_space = JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, quality, TRUE);
    jpeg_start_compress(&compressor, TRUE);

    JSAMPARRAY rows = (*compressor.mem->alloc_sarray)(
        reinterpret_cast<j_common_ptr>(&compressor), JPOOL_IMAGE,
        static_cast<JDIMENSION>(kBytesPerPixel * header.biWidth),
        static_cast<JDIMENSION>(header.biHeight));
    errorText = ConvertPixels(pixels, header, rows);
    if (!errorText.empty()) {
        jpeg_destroy_compress(&compressor);
        return kJpegPixelsRefused;
    }
    jpeg_write_scanlines(&compressor, rows, static_cast<JDIMENSION>(header.biHeight));
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    return kJpegOk;
}

} // namespace

int SaveBitmapAsJpeg(const uint8_t* pixels, const CBitmapInfoHeader& header, int quality,
                     const std::string& path, std::string* errorText)
{
    if (quality < 0 || quality > kMaxQuality || pixels == nullptr) {
        if (errorText)
            *errorText = kInvalidInput;
        return kJpegInvalidInput;
    }
    if (errorText == nullptr)
        return kJpegInvalidInput;
    if (path.empty()) {
        *errorText = kInvalidInput;
        return kJpegInvalidInput;
    }
    errorText->clear();

    // A picture the writer refuses or libjpeg fails on is useless to the
    // printers; the file goes so no half-written JPEG is read back.
    CJpegFile file(path);
    if (file.Stream() == nullptr) {
        *errorText = "Cannot open " + path;
        return kJpegCannotOpen;
    }
    *errorText = CheckHeader(header);
    if (!errorText->empty())
        return kJpegPixelsRefused;
    if (const int compressed = CompressBitmap(pixels, header, quality, file.Stream(), *errorText);
        compressed != kJpegOk)
        return compressed;
    if (!file.Finish()) {
        *errorText = "Cannot write " + path;
        return kJpegLibraryFailed;
    }
    return kJpegOk;
}
