#include "platform/image/GifDecoder.h"
#include "platform/image/Image.h"
#include "platform/image/ImageDecoder.h"
#include "platform/image/JpegEncoder.h"
#include "tests/image/PictureBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using platform::Image;
using platform::ImageDecoder;
using qelvo::test::gifBytes;
using qelvo::test::jpegBytes;
using qelvo::test::pngBytes;
using qelvo::test::Rgba;

void expectPixel(const Image& image, std::size_t frame, int x, int y, Rgba expected, int tolerance = 0) {
    const auto& rgba = image.frames().at(frame).rgba;
    const std::size_t at =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(image.pixelSize().width) + x) * 4;
    ASSERT_LT(at + 3, rgba.size());
    EXPECT_NEAR(rgba[at], expected.r, tolerance);
    EXPECT_NEAR(rgba[at + 1], expected.g, tolerance);
    EXPECT_NEAR(rgba[at + 2], expected.b, tolerance);
    EXPECT_EQ(rgba[at + 3], expected.a);
}

TEST(ImageDecoding, StillPicturesOfEachKindBecomeOneFrameOfRgbaPixels) {
    auto png = ImageDecoder::decode(pngBytes(7, 5, {200, 30, 40, 128}), "http://h/a.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->pixelSize(), (platform::Size{7, 5}));
    ASSERT_EQ(png->frames().size(), 1u);
    EXPECT_EQ(png->frames()[0].rgba.size(), 7u * 5u * 4u);
    EXPECT_EQ(png->source(), "http://h/a.png");
    expectPixel(*png, 0, 6, 4, {200, 30, 40, 128});
    EXPECT_EQ(png->duration(), 0.0);

    auto jpeg = ImageDecoder::decode(jpegBytes(16, 9), "b.jpg");
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->pixelSize(), (platform::Size{16, 9}));
    ASSERT_EQ(jpeg->frames().size(), 1u);
    expectPixel(*jpeg, 0, 8, 4, {20, 120, 220, 255}, 4);  // lossy

    auto still = ImageDecoder::decode(gifBytes(3, 2, 1, 50), "c.gif");
    ASSERT_TRUE(still);
    ASSERT_EQ(still->frames().size(), 1u);
    EXPECT_EQ(still->duration(), 0.0);
    expectPixel(*still, 0, 2, 1, {255, 0, 0, 255});
}

TEST(ImageDecoding, ScaleDividesThePointSize) {
    auto image = ImageDecoder::decode(pngBytes(40, 20), "x", 2.0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2.0);
    EXPECT_EQ(image->size(), (platform::Size{20, 10}));
    EXPECT_EQ(image->pixelSize(), (platform::Size{40, 20}));
}

TEST(ImageDecoding, AnimatedGifKeepsEveryFrameWithItsDelay) {
    auto image = ImageDecoder::decode(gifBytes(4, 4, 3, 25), "anim.gif");
    ASSERT_TRUE(image);
    ASSERT_EQ(image->frames().size(), 3u);
    for (const auto& frame : image->frames()) {
        EXPECT_DOUBLE_EQ(frame.delay, 0.25);
    }
    EXPECT_DOUBLE_EQ(image->duration(), 0.75);
    expectPixel(*image, 0, 0, 0, {255, 0, 0, 255});
    expectPixel(*image, 1, 3, 3, {0, 0, 255, 255});
    expectPixel(*image, 2, 1, 2, {255, 0, 0, 255});
}

TEST(ImageDecoding, GifWithoutDelaysShowsEachFrameForATenthOfASecond) {
    auto image = ImageDecoder::decode(gifBytes(2, 2, 5, 0), "nodelay.gif");
    ASSERT_TRUE(image);
    ASSERT_EQ(image->frames().size(), 5u);
    EXPECT_DOUBLE_EQ(image->duration(), 0.5);
}

TEST(ImageDecoding, GarbageTruncatedAndZeroPixelBytesGiveNoPicture) {
    EXPECT_FALSE(ImageDecoder::decode("", "empty"));
    EXPECT_FALSE(ImageDecoder::decode("<html>not found</html>", "page"));
    EXPECT_FALSE(ImageDecoder::decode("G", "just a G"));
    std::string png = pngBytes(8, 8);
    EXPECT_FALSE(ImageDecoder::decode(png.substr(0, 40), "cut png"));
    std::string jpeg = jpegBytes(8, 8);
    EXPECT_FALSE(ImageDecoder::decode(jpeg.substr(0, 12), "cut jpeg header"));
    std::string gif = gifBytes(4, 4, 2);
    EXPECT_FALSE(ImageDecoder::decode(gif.substr(0, 14), "cut gif"));
    // A GIF whose logical screen has no pixels.
    EXPECT_FALSE(ImageDecoder::decode(gifBytes(0, 0, 1), "zero gif"));
    // A PNG header claiming a zero-width picture.
    std::string zero = png;
    zero[16] = zero[17] = zero[18] = zero[19] = '\0';
    EXPECT_FALSE(ImageDecoder::decode(zero, "zero png"));
}

TEST(ImageScale, DoubleScaleOnlyWhenAt2xDotStartsInTheFirstTwoOfTheLastEightCharacters) {
    EXPECT_EQ(Image::scaleForKey("http://h/a@2x.png"), 2.0);
    EXPECT_EQ(Image::scaleForKey("http://h/@2x.jpeg"), 2.0);
    EXPECT_EQ(Image::scaleForKey("a@2x.png"), 2.0);
    EXPECT_EQ(Image::scaleForKey("http://h/a@2x.png?v=1"), 1.0);
    EXPECT_EQ(Image::scaleForKey("http://h/a.png"), 1.0);
    EXPECT_EQ(Image::scaleForKey("@2x.png"), 1.0);  // shorter than 8 characters
    EXPECT_EQ(Image::scaleForKey("http://h/ab@2x.jp"), 1.0);
}

TEST(JpegEncoding, EncodedPictureDecodesBackToTheSamePixels) {
    auto original = ImageDecoder::decode(pngBytes(10, 6, {90, 160, 30, 255}), "p");
    ASSERT_TRUE(original);
    auto bytes = platform::JpegEncoder::encode(*original, 1.0);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(static_cast<unsigned char>((*bytes)[0]), 0xff);
    auto back = ImageDecoder::decode(*bytes, "back");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixelSize(), original->pixelSize());
    expectPixel(*back, 0, 5, 3, {90, 160, 30, 255}, 3);
}

TEST(JpegEncoding, PictureWithoutPixelsEncodesToNothing) {
    Image sizeOnly("name", platform::Size{10, 10});
    EXPECT_FALSE(platform::JpegEncoder::encode(sizeOnly));
    Image shortPixels("name", platform::Size{10, 10}, 1.0, {Image::Frame{std::vector<std::uint8_t>(12), 0}});
    EXPECT_FALSE(platform::JpegEncoder::encode(shortPixels));
}

}  // namespace
