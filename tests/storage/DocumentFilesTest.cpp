#include "StorageFixture.h"
#include "platform/foundation/Json.h"

#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "storage/FileManagerUtil.h"

using platform::FileSystem;
using platform::Value;

using DocumentFilesTest = StorageTest;

TEST_F(DocumentFilesTest, DocumentsFolderIsCreatedOnceWithItsParents) {
    const std::string path = FileManagerUtil::getDocumentsFolder("dataCache/news", "mode2.plist");

    EXPECT_EQ(path, documents() + "/dataCache/news/mode2.plist");
    EXPECT_TRUE(FileSystem::isDirectory(documents() + "/dataCache/news"));
    EXPECT_FALSE(FileSystem::exists(path));
    EXPECT_EQ(logLines(), std::vector<std::string>{"创建目录"});

    FileManagerUtil::getDocumentsFolder("dataCache/news", "mode3.plist");
    EXPECT_EQ(logLines(), (std::vector<std::string>{"创建目录", "已存在"}));
}

TEST_F(DocumentFilesTest, PathsAreBuiltUnderTheContainer) {
    EXPECT_EQ(FileManagerUtil::getDocumentsPath("a/b.plist"), home_.string() + "/Documents/a/b.plist");
    EXPECT_EQ(FileManagerUtil::getCachePath(), home_.string() + "/Library/Caches");
}

TEST_F(DocumentFilesTest, DeleteFileReportsWhetherSomethingWasRemoved) {
    EXPECT_FALSE(FileManagerUtil::deleteFile("nothing.plist"));

    ASSERT_TRUE(FileManagerUtil::writeToDocuments(Value::array({"x"}), "list.plist"));
    EXPECT_TRUE(FileManagerUtil::isFileExist(documents() + "/list.plist"));
    EXPECT_TRUE(FileManagerUtil::deleteFile("list.plist"));
    EXPECT_FALSE(FileManagerUtil::isFileExist(documents() + "/list.plist"));

    FileManagerUtil::getDocumentsFolder("folder", "");
    ASSERT_TRUE(FileSystem::writeFileAtomically(documents() + "/folder/inside", "x"));
    EXPECT_TRUE(FileManagerUtil::deleteFile("folder"));
    EXPECT_FALSE(FileSystem::exists(documents() + "/folder"));
}

TEST_F(DocumentFilesTest, WriteToDocumentsStoresArraysAndDictionariesOnly) {
    const Value channels = Value::array({Value{{"id", "12"}, {"title", "财税要闻"}}});
    ASSERT_TRUE(FileManagerUtil::writeToDocuments(channels, "newsCate.plist"));
    EXPECT_EQ(platform::PropertyList::read(documents() + "/newsCate.plist"), channels);

    const Value settings{{"kMaxRequestCount", "1"}};
    EXPECT_TRUE(FileManagerUtil::writeToDocuments(settings, "settings.plist"));
    EXPECT_EQ(platform::PropertyList::read(documents() + "/settings.plist"), settings);

    EXPECT_FALSE(FileManagerUtil::writeToDocuments(Value("text"), "text.plist"));
    EXPECT_FALSE(FileManagerUtil::writeToDocuments(Value::array({nullptr}), "null.plist"));
    EXPECT_FALSE(FileSystem::exists(documents() + "/text.plist"));
    EXPECT_FALSE(FileSystem::exists(documents() + "/null.plist"));
}

TEST_F(DocumentFilesTest, PathContentIsUtf8TextOrNothing) {
    const std::string path = documents() + "/mode2.plist";
    EXPECT_FALSE(FileManagerUtil::getPathContent(path).has_value());

    ASSERT_TRUE(FileSystem::writeFileAtomically(path, "{\"result\":\"0\",\"message\":\"成功\"}"));
    EXPECT_EQ(FileManagerUtil::getPathContent(path), "{\"result\":\"0\",\"message\":\"成功\"}");

    ASSERT_TRUE(FileSystem::writeFileAtomically(path, std::string("\xff\xfe{}", 4)));
    EXPECT_FALSE(FileManagerUtil::getPathContent(path).has_value());
}

TEST_F(DocumentFilesTest, DeleteCacheFileEmptiesTheCachesFolderOnly) {
    const std::string cache = caches();
    ASSERT_TRUE(FileSystem::createDirectories(cache + "/images/a/b"));
    ASSERT_TRUE(FileSystem::writeFileAtomically(cache + "/images/a/b/pic.jpg", "jpeg"));
    ASSERT_TRUE(FileSystem::writeFileAtomically(cache + "/images/top.jpg", "jpeg"));
    ASSERT_TRUE(FileSystem::writeFileAtomically(cache + "/loose", "x"));
    ASSERT_TRUE(FileManagerUtil::writeToDocuments(Value::array({"kept"}), "collection.plist"));

    FileManagerUtil::deleteCacheFile();

    EXPECT_TRUE(FileSystem::isDirectory(cache));
    EXPECT_EQ(FileSystem::list(cache), std::vector<std::string>{});
    EXPECT_TRUE(FileSystem::exists(documents() + "/collection.plist"));
    EXPECT_TRUE(logged("cachePath is: " + cache));
}
