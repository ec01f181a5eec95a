#include "platform/foundation/Json.h"
#include "platform/foundation/Utf8.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

std::string encoded(unsigned long codePoint) {
    std::string out;
    Utf8::append(out, codePoint);
    return out;
}

TEST(Utf8Test, EachLengthEncodesAtItsBoundaries) {
    EXPECT_EQ(encoded(0x7F), "\x7f");
    EXPECT_EQ(encoded(0x80), "\xc2\x80");
    EXPECT_EQ(encoded(0x7FF), "\xdf\xbf");
    EXPECT_EQ(encoded(0x7A0E), "税");
    EXPECT_EQ(encoded(0xFFFF), "\xef\xbf\xbf");
    EXPECT_EQ(encoded(0x1F4C8), "\xf0\x9f\x93\x88");
    EXPECT_EQ(encoded(0x10FFFF), "\xf4\x8f\xbf\xbf");
}

TEST(Utf8Test, CodePointsThatCannotBeTextBecomeTheReplacementCharacter) {
    for (unsigned long bad : {0UL, 0xD800UL, 0xDFFFUL, 0x110000UL, 0xFFFFFFFFUL}) {
        const std::string out = encoded(bad);
        EXPECT_EQ(out, "\xef\xbf\xbd") << bad;
        EXPECT_TRUE(Json::isValidUtf8(out));
    }
}

}  // namespace
}  // namespace platform
