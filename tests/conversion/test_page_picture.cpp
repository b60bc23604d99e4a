// The page picture writer against real files: decoded back with libjpeg.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <jpeglib.h>

#include "conversion/page_picture.h"
#include "platform/temp_path.h"

namespace {

struct CDecoded {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

bool Decode(const std::string& path, CDecoded& out)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    out.components = info.num_components;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.resize(static_cast<size_t>(out.width) * out.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &out.rgb[static_cast<size_t>(info.output_scanline) * out.width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

// A BGR bitmap with rows padded to 4 bytes; the filler is set to a value no
// pixel uses, so reading it would show.
struct CBitmap {
    CBitmapInfoHeader header;
    std::vector<uint8_t> pixels;
    int rowSize = 0;
    CBitmap(int width, int height)
    {
        header.biWidth = width;
        header.biHeight = height;
        rowSize = (width * 3 + 3) / 4 * 4;
        pixels.assign(static_cast<size_t>(rowSize) * height, 0xEE);
    }
    void Set(int x, int y, uint8_t b, uint8_t g, uint8_t r)
    {
        uint8_t* p = &pixels[static_cast<size_t>(y) * rowSize + x * 3];
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
    void Fill(uint8_t b, uint8_t g, uint8_t r)
    {
        for (int y = 0; y < header.biHeight; ++y)
            for (int x = 0; x < header.biWidth; ++x)
                Set(x, y, b, g, r);
    }
};

int OpenDescriptorCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

void ExpectNear(const uint8_t* rgb, int r, int g, int b, int tolerance = 3)
{
    EXPECT_NEAR(rgb[0], r, tolerance);
    EXPECT_NEAR(rgb[1], g, tolerance);
    EXPECT_NEAR(rgb[2], b, tolerance);
}

class PagePicture : public ::testing::Test {
protected:
    std::string path = MakeTempPath() + ".jpg";
    void TearDown() override { std::remove(path.c_str()); }
};

TEST_F(PagePicture, PaddedBitmapKeepsSizeAndSwapsBlueAndRed)
{
    CBitmap bitmap(3, 2);
    ASSERT_EQ(bitmap.rowSize, 12);
    bitmap.Fill(0x10, 0x20, 0x30);
    std::string error = "stale";
    ASSERT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, &error), kJpegOk);
    EXPECT_EQ(error, "");
    CDecoded decoded;
    ASSERT_TRUE(Decode(path, decoded));
    EXPECT_EQ(decoded.width, 3);
    EXPECT_EQ(decoded.height, 2);
    EXPECT_EQ(decoded.components, 3);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            ExpectNear(decoded.At(x, y), 0x30, 0x20, 0x10);
}

TEST_F(PagePicture, TopRowInMemoryIsTopRowOfPicture)
{
    CBitmap bitmap(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            y < 16 ? bitmap.Set(x, y, 0, 0, 255) : bitmap.Set(x, y, 255, 0, 0);
    std::string error;
    ASSERT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, &error), kJpegOk);
    CDecoded decoded;
    ASSERT_TRUE(Decode(path, decoded));
    ExpectNear(decoded.At(5, 2), 255, 0, 0, 12);    // red on top
    ExpectNear(decoded.At(5, 29), 0, 0, 255, 12);   // blue at the bottom
}

TEST_F(PagePicture, InvalidInputCreatesNoFile)
{
    CBitmap bitmap(4, 4);
    std::string error;
    for (int quality : {101, -1}) {
        error.clear();
        EXPECT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, quality, path, &error),
                  kJpegInvalidInput);
        EXPECT_EQ(error, "Invalid input data");
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    EXPECT_EQ(SaveBitmapAsJpeg(nullptr, bitmap.header, 100, path, &error), kJpegInvalidInput);
    EXPECT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, nullptr), kJpegInvalidInput);
    error.clear();
    EXPECT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, "", &error), kJpegInvalidInput);
    EXPECT_EQ(error, "Invalid input data");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PagePicture, RefusedPixelsLeaveNoBrokenPicture)
{
    CBitmap bitmap(4, 4);
    bitmap.header.biBitCount = 32;
    std::string error;
    EXPECT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, &error), kJpegPixelsRefused);
    EXPECT_EQ(error, "Invalid bitmap bit count");
    EXPECT_FALSE(std::filesystem::exists(path));

    bitmap.header.biBitCount = 24;
    bitmap.header.biWidth = 0;   // libjpeg would end the process on an empty image
    EXPECT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, &error), kJpegPixelsRefused);
    EXPECT_EQ(error, "Invalid input data");
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PagePicture, OverwritesAnExistingFile)
{
    {
        std::ofstream old(path, std::ios::binary);
        old << std::string(100000, 'x');
    }
    CBitmap bitmap(8, 8);
    bitmap.Fill(0, 255, 0);
    std::string error;
    ASSERT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, &error), kJpegOk);
    EXPECT_LT(std::filesystem::file_size(path), 100000u);
    CDecoded decoded;
    ASSERT_TRUE(Decode(path, decoded));
    ExpectNear(decoded.At(3, 3), 0, 255, 0, 4);
}

TEST_F(PagePicture, UncreatableFileGives30002AndLeavesNothing)
{
    const std::string missing = std::filesystem::path(path).parent_path().string() + "/no-such-folder/p.jpg";
    CBitmap bitmap(4, 4);
    std::string error;
    const int before = OpenDescriptorCount();
    EXPECT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, missing, &error), kJpegCannotOpen);
    EXPECT_EQ(error, "Cannot open " + missing);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(missing).parent_path()));
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(PagePicture, FullDiskReturnsErrorWithFileClosed)
{
    CBitmap bitmap(816, 1056);
    for (size_t i = 0; i < bitmap.pixels.size(); ++i)
        bitmap.pixels[i] = static_cast<uint8_t>(i * 7919 >> 3);   // hard to compress
    std::string error;
    const int before = OpenDescriptorCount();
    const int result = SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, "/dev/full", &error);
    EXPECT_NE(result, kJpegOk);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(OpenDescriptorCount(), before);
    // A failed write removes a half-written picture, but never a device.
    struct stat info {};
    ASSERT_EQ(stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(PagePicture, FileSizeLimitMidWriteReturnsErrorAndRemovesFile)
{
    CBitmap bitmap(816, 1056);
    for (size_t i = 0; i < bitmap.pixels.size(); ++i)
        bitmap.pixels[i] = static_cast<uint8_t>(i * 7919 >> 3);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The limit makes write() fail with EFBIG after 20 KB instead of
        // killing the process.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit {20000, 20000};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        const int before = OpenDescriptorCount();
        const int result = SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, &error);
        const bool closed = OpenDescriptorCount() == before;
        _exit(result != kJpegOk && !error.empty() && closed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(PagePicture, LetterPageIsFast)
{
    CBitmap bitmap(816, 1056);
    for (int y = 0; y < 1056; ++y)
        for (int x = 0; x < 816; ++x)
            bitmap.Set(x, y, static_cast<uint8_t>(x), static_cast<uint8_t>(y), static_cast<uint8_t>(x ^ y));
    std::string error;
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(SaveBitmapAsJpeg(bitmap.pixels.data(), bitmap.header, 100, path, &error), kJpegOk);
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    RecordProperty("letter_page_ms", std::to_string(best));
    std::printf("816x1056 at quality 100: %.1f ms\n", best);
    // Generous: sanitizer builds and a busy machine are several times slower.
    EXPECT_LT(best, 500.0);
    CDecoded decoded;
    ASSERT_TRUE(Decode(path, decoded));
    EXPECT_EQ(decoded.width, 816);
    EXPECT_EQ(decoded.height, 1056);
}

} // namespace
