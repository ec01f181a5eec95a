#include "platform/foundation/Json.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using platform::Json;
using platform::PropertyList;

namespace {

constexpr int kBound = Json::kMaxNestingDepth;
constexpr int kFarTooDeep = 100000;

std::string repeated(const std::string& text, int times) {
    std::string out;
    out.reserve(text.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

std::string jsonArrays(int depth) {
    return repeated("[", depth) + repeated("]", depth);
}

std::string xmlArrays(int depth) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" +
           repeated("<array>", depth) + repeated("</array>", depth) + "\n</plist>\n";
}

void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFFU);
    }
}

// A binary property list of `depth` arrays, each holding the next (or, with `loop`,
// one array holding itself).
std::string binaryArrays(int depth, bool loop = false) {
    std::string out = "bplist00";
    std::string offsets;
    const int count = loop ? 1 : depth;
    for (int i = 0; i < count; ++i) {
        appendBigEndian(offsets, out.size(), 4);
        if (loop || i + 1 < count) {
            out += static_cast<char>(0xA1);
            appendBigEndian(out, loop ? 0 : i + 1, 4);
        } else {
            out += static_cast<char>(0xA0);
        }
    }
    const std::size_t table = out.size();
    out += offsets;
    out += std::string(6, '\0');
    out += static_cast<char>(4);  // offset size
    out += static_cast<char>(4);  // reference size
    appendBigEndian(out, static_cast<std::uint64_t>(count), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

TEST(NestingBound, RepliesAndPropertyListsNestedDeeperThanTheBoundAreNoData) {
    // JSON replies: the bound itself is data, one level more is not; brackets inside
    // strings are text, not nesting.
    EXPECT_TRUE(Json::parse(jsonArrays(kBound)).has_value());
    EXPECT_FALSE(Json::parse(jsonArrays(kBound + 1)).has_value());
    EXPECT_FALSE(Json::parseDictionary(R"({"result":"1","message":)" + repeated(R"({"a":)", kFarTooDeep) +
                                       "1" + repeated("}", kFarTooDeep) + "}")
                     .has_value());
    const auto text = Json::parseDictionary(R"({"message":")" + repeated("[{\\\"", kBound) + R"("})");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(Json::stringForKey(*text, "message"), repeated("[{\"", kBound));

    // Property lists, read by the strict reader or by libplist, in XML or binary form.
    EXPECT_TRUE(PropertyList::fromXml(xmlArrays(kBound)).has_value());
    EXPECT_TRUE(PropertyList::fromAnyForm(xmlArrays(kBound)).has_value());
    EXPECT_FALSE(PropertyList::fromXml(xmlArrays(kBound + 1)).has_value());
    EXPECT_FALSE(PropertyList::fromAnyForm(xmlArrays(kFarTooDeep)).has_value());
    EXPECT_FALSE(PropertyList::fromXml(xmlArrays(kFarTooDeep) + "<!-- -->").has_value());
    EXPECT_TRUE(PropertyList::fromAnyForm(binaryArrays(kBound)).has_value());
    EXPECT_FALSE(PropertyList::fromAnyForm(binaryArrays(kBound + 1)).has_value());
    EXPECT_FALSE(PropertyList::fromAnyForm(binaryArrays(kFarTooDeep)).has_value());
    EXPECT_FALSE(PropertyList::fromAnyForm(binaryArrays(1, /*loop=*/true)).has_value());
}

}  // namespace
