#include "platform/foundation/Json.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListReader.h"
#include "platform/foundation/PropertyListWriter.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <memory>

using platform::PropertyListWriter;
using platform::Value;

namespace {

// The same value built as a libplist node tree, to compare our text with its writer's.
plist_t toNode(const Value& value) {
    switch (value.type()) {
        case Value::value_t::string: return plist_new_string(value.get_ref<const std::string&>().c_str());
        case Value::value_t::boolean: return plist_new_bool(value.get<bool>());
        case Value::value_t::number_integer:
            return plist_new_uint(static_cast<uint64_t>(value.get<long long>()));
        case Value::value_t::number_unsigned: return plist_new_uint(value.get<unsigned long long>());
        case Value::value_t::number_float: return plist_new_real(value.get<double>());
        case Value::value_t::array: {
            plist_t array = plist_new_array();
            for (const auto& item : value)
                plist_array_append_item(array, toNode(item));
            return array;
        }
        default: {
            plist_t dict = plist_new_dict();
            for (const auto& [key, item] : value.items())
                plist_dict_set_item(dict, key.c_str(), toNode(item));
            return dict;
        }
    }
}

std::string libplistXml(const Value& value) {
    std::unique_ptr<void, void (*)(void*)> node(toNode(value),
                                                [](void* n) { plist_free(static_cast<plist_t>(n)); });
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(static_cast<plist_t>(node.get()), &xml, &length);
    std::string text(xml, length);
    plist_to_xml_free(xml);
    return text;
}

Value sample() {
    Value favourites = Value::array();
    favourites.push_back({{"id", "101"},
                          {"title", "个人所得税 & <汇算> \"清缴\" 'A'"},
                          {"image", "http://127.0.0.1:8080/pics/course/101.jpg?a=1&b=2"},
                          {"info", ""},
                          {"count", -42},
                          {"big", 5368709120LL},
                          {"ratio", 0.1},
                          {"whole", 3.0},
                          {"flags", Value::array({true, false})},
                          {"empty", Value::array()},
                          {"nothing", Value::object()},
                          {"nested", {{"z", "last"}, {"a", Value::array({Value::object({{"k", "v"}})})}}}});
    favourites.push_back(Value::object({{"tab", "a\tb\nc"}}));
    return favourites;
}

TEST(PropertyListWriterTest, WritesTheSameBytesAsLibplistAndReadsBackUnchanged) {
    const Value value = sample();
    const auto ours = PropertyListWriter::write(value);
    ASSERT_TRUE(ours.has_value());
    EXPECT_EQ(*ours, libplistXml(value));
    EXPECT_EQ(platform::PropertyList::fromXml(*ours), value);

    const Value dictRoot = {{"userName", "张三"}, {"kMaxRequestCount", "1"}};
    EXPECT_EQ(PropertyListWriter::write(dictRoot), libplistXml(dictRoot));
    EXPECT_EQ(PropertyListWriter::write(Value::array()), libplistXml(Value::array()));
}

TEST(PropertyListWriterTest, RefusesValuesWithoutAPropertyListForm) {
    EXPECT_FALSE(PropertyListWriter::write(Value::array({Value{{"id", nullptr}}})).has_value());
    EXPECT_FALSE(PropertyListWriter::write(Value::array({"\xff\xfe broken"})).has_value());
    EXPECT_FALSE(
        PropertyListWriter::write(Value::array({std::numeric_limits<double>::infinity()})).has_value());
    EXPECT_FALSE(PropertyListWriter::write(Value("root text")).has_value());
    EXPECT_FALSE(PropertyListWriter::write(Value(7)).has_value());
}

}  // namespace

namespace {

// The fast reader may give up on anything, but whatever it accepts must read
// exactly as the general reader reads it.
void expectSameAsGeneralReader(const std::string& xml) {
    const auto fast = platform::PropertyListReader::read(xml);
    if (!fast) return;
    const auto general = platform::PropertyList::fromAnyForm(xml);
    ASSERT_TRUE(general.has_value()) << "fast reader accepted what libplist refuses:\n" << xml;
    EXPECT_EQ(*fast, *general) << xml;
}

TEST(PropertyListReaderTest, ReadsWhatWeWriteAndAgreesWithTheGeneralReader) {
    const std::string written = *PropertyListWriter::write(sample());
    const auto fast = platform::PropertyListReader::read(written);
    ASSERT_TRUE(fast.has_value());
    EXPECT_EQ(*fast, sample());

    const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    for (const std::string& body : {
             std::string("<array><string>&#x4e2d;&#25991; &quot;q&quot; &apos;a&apos;</string></array>"),
             std::string("<dict>\n  <key>a</key>\n  <string>line1\r\nline2</string>\n</dict>"),
             std::string("<array><integer>+5</integer><integer>99999999999999999999</integer></array>"),
             std::string("<array><real>1e400</real><real>.5</real><real>-0</real></array>"),
             std::string("<array><string>unknown &nbsp; entity</string></array>"),
             std::string("<array><data>aGVsbG8=</data><date>2026-01-01T00:00:00Z</date></array>"),
             std::string("<array><!-- comment --><string>x</string></array>"),
             std::string(
                 "<dict><key>k</key><string>first</string><key>k</key><string>second</string></dict>"),
             std::string("<array><string>&#0;</string></array>"),
         }) {
        expectSameAsGeneralReader(header + body + "\n</plist>\n");
    }
}

TEST(PropertyListReaderTest, EveryTruncationOrCorruptionIsRefusedOrReadAsTheGeneralReaderDoes) {
    const std::string written = *PropertyListWriter::write(sample());
    const std::size_t complete = written.rfind("</plist>") + std::string("</plist>").size();
    for (std::size_t cut = 0; cut < complete; ++cut) {
        EXPECT_FALSE(platform::PropertyListReader::read(written.substr(0, cut)).has_value()) << cut;
    }
    for (std::size_t at = 0; at < written.size(); at += 7) {
        for (const char replacement : {'<', '>', '&', '/', 'x', '\0'}) {
            std::string corrupt = written;
            corrupt[at] = replacement;
            SCOPED_TRACE(testing::Message() << "byte " << at << " became " << int(replacement)
                                            << " in context: " << written.substr(at > 20 ? at - 20 : 0, 40));
            expectSameAsGeneralReader(corrupt);
        }
    }
}

}  // namespace
