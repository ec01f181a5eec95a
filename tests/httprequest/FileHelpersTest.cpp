#include "platform/foundation/GzipFileInflater.h"
#include "Library/HTTPRequest/HTTPUserAgent.h"
#include "platform/foundation/FileWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class FileHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelvo-filehelpers-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    static std::string gzip(const std::string& text) {
        z_stream stream{};
        deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
        std::string out(deflateBound(&stream, text.size()) + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        stream.avail_in = static_cast<uInt>(text.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, Z_FINISH);
        out.resize(stream.total_out);
        deflateEnd(&stream);
        return out;
    }
    static std::string sample(std::size_t size) {
        std::string text;
        for (std::size_t i = 0; text.size() < size; ++i)
            text += std::to_string(i * 7919) + ",";
        text.resize(size);
        return text;
    }
    std::string folder;
};

TEST_F(FileHelpers, WriterKeepsTheAskedPrefixAndWritesOnFromThere) {
    const std::string path = folder + "/partial";
    write(path, "0123456789");
    platform::FileWriter writer;
    ASSERT_TRUE(writer.open(path, 4));
    ASSERT_TRUE(writer.write("ab"));
    EXPECT_EQ(read(path), "0123ab") << "each chunk is in the file at once";
    writer.close();
    ASSERT_TRUE(writer.open(path, 0));
    writer.close();
    EXPECT_EQ(read(path), "");
    EXPECT_FALSE(writer.write("x")) << "a closed writer writes nothing";
    EXPECT_FALSE(writer.open(folder + "/missing/partial", 0));
}

TEST_F(FileHelpers, InflatesLargeAndMultiMemberGzip) {
    const std::string text = sample(std::size_t{3} * 1024 * 1024);
    const std::string half = text.substr(0, text.size() / 2);
    const std::string rest = text.substr(text.size() / 2);
    write(folder + "/one.gz", gzip(text));
    write(folder + "/two.gz", gzip(half) + gzip(rest));
    ASSERT_EQ(platform::GzipFileInflater::inflateFile(folder + "/one.gz", folder + "/one"), platform::GzipFileInflater::Result::Inflated);
    EXPECT_EQ(read(folder + "/one"), text);
    ASSERT_EQ(platform::GzipFileInflater::inflateFile(folder + "/two.gz", folder + "/two"), platform::GzipFileInflater::Result::Inflated);
    EXPECT_EQ(read(folder + "/two"), text);
}

TEST_F(FileHelpers, CutOrBrokenGzipFailsAndLeavesNoTarget) {
    const std::string packed = gzip(sample(200000));
    write(folder + "/cut.gz", packed.substr(0, packed.size() / 2));
    EXPECT_EQ(platform::GzipFileInflater::inflateFile(folder + "/cut.gz", folder + "/cut"), platform::GzipFileInflater::Result::NotGzip);
    EXPECT_FALSE(std::filesystem::exists(folder + "/cut"));
    write(folder + "/plain.gz", sample(1000));
    EXPECT_EQ(platform::GzipFileInflater::inflateFile(folder + "/plain.gz", folder + "/plain"), platform::GzipFileInflater::Result::NotGzip);
    write(folder + "/empty.gz", "");
    EXPECT_EQ(platform::GzipFileInflater::inflateFile(folder + "/empty.gz", folder + "/empty"), platform::GzipFileInflater::Result::NotGzip);
    EXPECT_EQ(platform::GzipFileInflater::inflateFile(folder + "/absent.gz", folder + "/absent"), platform::GzipFileInflater::Result::NotGzip);
}

TEST(HTTPUserAgentTest, NamesAppDeviceSystemAndLocale) {
    EXPECT_EQ(HTTPUserAgent::build("Qelvo", "1.2", "1.2", "iPhone", "iPhone OS", "7.1", "zh_CN"),
              "Qelvo 1.2 (iPhone; iPhone OS 7.1; zh_CN)");
    EXPECT_EQ(HTTPUserAgent::build("Qelvo", "1.2", "45", "iPhone", "iPhone OS", "6.0", "en_US"),
              "Qelvo 1.2 rv:45 (iPhone; iPhone OS 6.0; en_US)");
}

}  // namespace
