#include "StorageFixture.h"
#include "platform/foundation/Json.h"

#include "download/FileModel.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/FileSystem.h"
#include "storage/CommonHelper.h"

#include <regex>

using platform::FileSystem;
using platform::Value;

using CommonHelperPathsTest = StorageTest;

TEST_F(CommonHelperPathsTest, DownloadFoldersAreCreatedUnderDocuments) {
    EXPECT_EQ(CommonHelper::getDocumentPath(), home_.string() + "/Documents");

    const std::string target = CommonHelper::getTargetPathWithBasepath("DownLoad", "mp4");
    EXPECT_EQ(target, documents() + "/DownLoad/mp4");
    EXPECT_TRUE(FileSystem::isDirectory(target));

    const std::string temp = CommonHelper::getTempFolderPathWithBasepath("DownLoad");
    EXPECT_EQ(temp, documents() + "/DownLoad/Temp");
    EXPECT_TRUE(FileSystem::isDirectory(temp));

    const auto folders = CommonHelper::getTargetFloderPathWithBasepath("Other", {"a", "b/c"});
    EXPECT_EQ(folders, (std::vector<std::string>{documents() + "/Other/a", documents() + "/Other/b/c"}));
    for (const auto& folder : folders)
        EXPECT_TRUE(CommonHelper::isExistFile(folder));
    EXPECT_FALSE(CommonHelper::isExistFile(documents() + "/Other/d"));
}

TEST_F(CommonHelperPathsTest, FinishedFilesAreListedUntilAFolderIsMissing) {
    const std::string mp4 = CommonHelper::getTargetPathWithBasepath("DownLoad", "mp4");
    const std::string more = CommonHelper::getTargetPathWithBasepath("DownLoad", "more");
    const std::string after = CommonHelper::getTargetPathWithBasepath("DownLoad", "after");
    ASSERT_TRUE(FileSystem::writeFileAtomically(mp4 + "/123.mp4", std::string(1572864, 'v')));
    ASSERT_TRUE(FileSystem::writeFileAtomically(more + "/empty.mp4", ""));
    ASSERT_TRUE(FileSystem::writeFileAtomically(after + "/never.mp4", "v"));

    const auto records =
        CommonHelper::getAllFinishFilesListWithPatharr({mp4, more, documents() + "/DownLoad/missing", after});

    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]->fileName(), "123.mp4");
    EXPECT_EQ(records[0]->targetPath(), mp4 + "/123.mp4");
    EXPECT_EQ(records[0]->fileSize(), "1.50MB");
    EXPECT_EQ(records[1]->fileName(), "empty.mp4");
    EXPECT_EQ(records[1]->fileSize(), "0.00MB");
    EXPECT_FALSE(records[0]->fileURL().has_value());
    EXPECT_FALSE(records[0]->isDownloading());

    EXPECT_TRUE(CommonHelper::getAllFinishFilesListWithPatharr({documents() + "/none", mp4}).empty());
}

TEST(CommonHelperSizeTest, SizesAreShownInMegabytesWithTwoDecimals) {
    EXPECT_EQ(CommonHelper::getFileSizeString(0), "0.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString(10485760), "10.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString(1572864), "1.50MB");
    EXPECT_EQ(CommonHelper::getFileSizeString("1572864"), "1.50MB");
    EXPECT_EQ(CommonHelper::getFileSizeString(std::string("10485760")), "10.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString(" 5242880 bytes"), "5.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString(Value()), "0.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString("abc"), "0.00MB");
}

TEST(CommonHelperSizeTest, CountsAreReadInSinglePrecisionWithoutOverflow) {
    // 2^40 + 60000 bytes is not a float: it reads as 2^40, so the screens show
    // 1048576.00MB where double precision would give 1048576.06MB.
    EXPECT_EQ(CommonHelper::getFileSizeString(1099511687776LL), "1048576.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString("1099511687776"), "1048576.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString("5000000000"), "4768.37MB");
    EXPECT_EQ(CommonHelper::getFileSizeString("1e39"), "0.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString("inf"), "0.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString("nan"), "0.00MB");
    EXPECT_EQ(CommonHelper::getFileSizeString(1e300), "0.00MB");
}

TEST(CommonHelperSizeTest, SizeTextsReadBackWithTheirUnits) {
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("1.50MB"), 1572864.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("10.00MB"), 10485760.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("512KB"), 524288.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("2K"), 2048.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("100B"), 100.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("42"), 42.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("MB"), 0.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber(""), 0.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber("1e39M"), 0.0F);
    EXPECT_FLOAT_EQ(CommonHelper::getFileSizeNumber(CommonHelper::getFileSizeString(10485760)), 10485760.0F);
}

TEST(CommonHelperSizeTest, ProgressIsTheReceivedShareOfAKnownTotal) {
    EXPECT_DOUBLE_EQ(CommonHelper::getProgress(200.0F, 50.0F), 0.25);
    EXPECT_DOUBLE_EQ(CommonHelper::getProgress(200.0F, 200.0F), 1.0);
    EXPECT_DOUBLE_EQ(CommonHelper::getProgress(0.0F, 50.0F), 0.0);
    EXPECT_DOUBLE_EQ(CommonHelper::getProgress(0.0F, 0.0F), 0.0);
    EXPECT_DOUBLE_EQ(CommonHelper::getProgress(-1.0F, 5.0F), 0.0);
}

TEST(CommonHelperDigestTest, Md5IsLowercaseHexOfTheUtf8Bytes) {
    EXPECT_EQ(CommonHelper::md5StringForString(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(CommonHelper::md5StringForString("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(CommonHelper::md5StringForString("The quick brown fox jumps over the lazy dog"),
              "9e107d9d372bb6826bd81d3542a419d6");
    EXPECT_EQ(CommonHelper::md5StringForString("中文"), "a7bac2239fcdcb3a067903d8077c4a07");
    const std::string bytes("a\0b", 3);
    EXPECT_EQ(CommonHelper::md5StringForData(bytes), "70350f6027bce3713f6b76473084309b");
    EXPECT_NE(CommonHelper::md5StringForData(bytes), CommonHelper::md5StringForString("ab"));
}

using CommonHelperDateTest = StorageTest;

TEST_F(CommonHelperDateTest, DownloadTimesRoundTripWithoutYear) {
    const auto now = clock_->wallNow();
    const std::string text = CommonHelper::dateToString(now);
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(\d{2}-\d{2} \d{2}:\d{2}:\d{2})")));
    EXPECT_EQ(text, platform::DateFormatter("MM-dd HH:mm:ss").stringFromDate(now));

    const auto parsed = CommonHelper::makeDate(text);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(CommonHelper::dateToString(*parsed), text);
}

TEST_F(CommonHelperDateTest, MakeDateLogsTheResultOrNull) {
    const auto parsed = CommonHelper::makeDate("01-01 00:00:00");
    ASSERT_TRUE(parsed.has_value());
    const auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \+0000)")));

    EXPECT_FALSE(CommonHelper::makeDate("2024-01-01 00:00:00").has_value());
    EXPECT_FALSE(CommonHelper::makeDate("13-01 00:00:00").has_value());
    EXPECT_EQ(logLines().back(), "(null)");
}

TEST_F(CommonHelperDateTest, DatesWithoutYearOrderWithinTheYearOnly) {
    const auto late = CommonHelper::makeDate("12-31 23:59:00");
    const auto early = CommonHelper::makeDate("01-01 00:01:00");
    ASSERT_TRUE(late && early);
    EXPECT_GT(*late, *early);
}

using CommonHelperDiskTest = StorageTest;

TEST_F(CommonHelperDiskTest, DiskFiguresAreSinglePrecisionBytesOfTheDocumentsVolume) {
    const std::uint64_t total = CommonHelper::getTotalDiskspace();
    const std::uint64_t free = CommonHelper::getFreeDiskspace();
    ASSERT_GT(total, 0u);
    EXPECT_LE(free, total);
    EXPECT_EQ(static_cast<std::uint64_t>(static_cast<float>(total)), total);
    EXPECT_EQ(static_cast<std::uint64_t>(static_cast<float>(free)), free);

    const auto actual = FileSystem::space(documents());
    ASSERT_TRUE(actual.has_value());
    EXPECT_EQ(total, static_cast<std::uint64_t>(static_cast<float>(actual->total)));

    const auto lines = logLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(std::regex_match(
        lines.back(), std::regex(R"(Memory Capacity of \d+ MiB with \d+ MiB Free memory available\.)")));
    EXPECT_NE(lines.back().find("Memory Capacity of " + std::to_string(total / 1048576) + " MiB"),
              std::string::npos);
}

TEST_F(CommonHelperDiskTest, DiskSpaceInfoShowsFreeThenTotalGigabytes) {
    const auto info = CommonHelper::getDiskSpaceInfo();
    ASSERT_TRUE(info.has_value());
    std::smatch match;
    ASSERT_TRUE(std::regex_match(*info, match, std::regex(R"((\d+\.\d{2}) GB 可用/总共 (\d+\.\d{2}) GB)")));
    const double total = static_cast<double>(CommonHelper::getTotalDiskspace()) / 1073741824.0;
    EXPECT_EQ(match[2].str(), fmt::format("{:.2f}", total));
    EXPECT_LE(std::stod(match[1].str()), std::stod(match[2].str()));
}

TEST_F(CommonHelperDiskTest, AnUnreadableVolumeGivesZeroAndNothing) {
    platform::Container::shared().setHome(home_ / "gone");
    ASSERT_TRUE(FileSystem::remove((home_ / "gone").string()));

    EXPECT_EQ(CommonHelper::getFreeDiskspace(), 0u);
    EXPECT_EQ(CommonHelper::getTotalDiskspace(), 0u);
    EXPECT_FALSE(CommonHelper::getDiskSpaceInfo().has_value());
    EXPECT_TRUE(logLines().empty());
}
