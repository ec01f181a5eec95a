#include "imageloader/WebImageOptions.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/imageloader/ImageLoaderFixture.h"

#include <vector>

namespace {

using qelvo::test::ImageLoaderFixture;
using qelvo::test::pngBytes;

// What one load reported.
struct Outcome {
    bool called = false;
    std::shared_ptr<platform::Image> image;
    std::optional<WebImageError> error;
    ImageCacheType cacheType = ImageCacheType::None;
};

class WebImageManagerTest : public ImageLoaderFixture {
protected:
    std::shared_ptr<Outcome> load(const std::string& url, unsigned options = 0) {
        auto outcome = std::make_shared<Outcome>();
        manager->downloadWithURL(
            url, options, nullptr,
            [outcome](std::shared_ptr<platform::Image> image, const std::optional<WebImageError>& error,
                      ImageCacheType type, bool) {
                outcome->called = true;
                outcome->image = std::move(image);
                outcome->error = error;
                outcome->cacheType = type;
            });
        return outcome;
    }
    bool waitFor(const std::shared_ptr<Outcome>& outcome) {
        return platform::RunLoop::main().runUntil([&] { return outcome->called; }, 10.0);
    }
};

TEST_F(WebImageManagerTest, DownloadsThenAnswersFromMemoryThenFromDiskAfterMemoryIsCleared) {
    server.serve("/p.png", pngBytes(9, 9));
    const std::string url = server.url("/p.png");
    auto first = load(url);
    ASSERT_TRUE(waitFor(first));
    ASSERT_TRUE(first->image);
    EXPECT_EQ(first->cacheType, ImageCacheType::None);

    auto second = load(url);
    EXPECT_TRUE(second->called);  // within the call
    EXPECT_EQ(second->cacheType, ImageCacheType::Memory);
    EXPECT_EQ(second->image, first->image);

    cache->waitForDiskQueue();
    cache->clearMemory();
    auto third = load(url);
    EXPECT_FALSE(third->called);
    ASSERT_TRUE(waitFor(third));
    EXPECT_EQ(third->cacheType, ImageCacheType::Disk);
    ASSERT_TRUE(third->image);
    EXPECT_EQ(third->image->pixelSize(), (platform::Size{9, 9}));
    EXPECT_EQ(third->image->source(), url);
    EXPECT_EQ(server.hits("/p.png"), 1);
}

TEST_F(WebImageManagerTest, DownloadedBytesAreKeptInAFileNamedByTheKeysMd5InTheDefaultFolder) {
    const std::string body = pngBytes(3, 3);
    server.serve("/f.png", body);
    const std::string url = server.url("/f.png");
    ASSERT_TRUE(waitFor(load(url)));
    cache->waitForDiskQueue();
    EXPECT_TRUE(cache->diskCachePath().ends_with("default"));
    const std::string file = cache->cachePathForKey(url);
    EXPECT_EQ(std::filesystem::path(file).parent_path().string(), cache->diskCachePath());
    EXPECT_EQ(std::filesystem::path(file).filename().string().size(), 32u);
    EXPECT_EQ(platform::FileSystem::readFile(file).value_or(""), body);
    EXPECT_EQ(cache->getDiskCount(), 1u);
    EXPECT_EQ(cache->getSize(), body.size());
}

TEST_F(WebImageManagerTest, ErrorStatusFailsWithItsCodeAndTheAddressIsNotRetriedUnlessAsked) {
    server.serve("/404.png", "no such picture", 404);
    const std::string url = server.url("/404.png");
    auto failed = load(url);
    ASSERT_TRUE(waitFor(failed));
    EXPECT_FALSE(failed->image);
    ASSERT_TRUE(failed->error);
    EXPECT_EQ(failed->error->code, 404);
    EXPECT_TRUE(manager->isFailedURL(url));

    auto again = load(url);
    EXPECT_TRUE(again->called);
    EXPECT_FALSE(again->image);
    EXPECT_FALSE(again->error);
    EXPECT_EQ(server.hits("/404.png"), 1);

    server.serve("/404.png", pngBytes(2, 2));
    auto retried = load(url, WebImageRetryFailed);
    ASSERT_TRUE(waitFor(retried));
    EXPECT_TRUE(retried->image);
    EXPECT_EQ(server.hits("/404.png"), 2);
}

TEST_F(WebImageManagerTest, BytesThatAreNoPictureFailAsZeroPixels) {
    server.serve("/garbage.png", "GARBAGE, not a picture");
    server.serve("/empty.png", "");
    for (const std::string path : {"/garbage.png", "/empty.png"}) {
        auto outcome = load(server.url(path));
        ASSERT_TRUE(waitFor(outcome)) << path;
        EXPECT_FALSE(outcome->image);
        ASSERT_TRUE(outcome->error) << path;
        EXPECT_EQ(outcome->error->description, "Downloaded image has 0 pixels");
        EXPECT_EQ(outcome->error->domain, "WebImageErrorDomain");
        EXPECT_TRUE(manager->isFailedURL(server.url(path)));
    }
    cache->waitForDiskQueue();
    EXPECT_EQ(cache->getDiskCount(), 0u);
}

// Picture addresses come from the service: a file address fails even when the file is a
// picture, and nothing of it is shown or kept.
TEST_F(WebImageManagerTest, AFileAddressFailsAndNothingOfTheFileIsShownOrKept) {
    const std::string picture = folder + "-outside.png";
    std::ofstream(picture, std::ios::binary) << pngBytes(4, 4);
    for (const std::string& url : {"file://" + picture, "file://localhost" + picture}) {
        auto outcome = load(url);
        ASSERT_TRUE(waitFor(outcome)) << url;
        EXPECT_FALSE(outcome->image) << url;
        EXPECT_TRUE(outcome->error) << url;
    }
    cache->waitForDiskQueue();
    EXPECT_EQ(cache->getDiskCount(), 0u);
    std::filesystem::remove(picture);
}

TEST_F(WebImageManagerTest, SilentServerTimesOutAfterFifteenSecondsOfTheLoopsClock) {
    auto clock = std::make_shared<platform::ManualClock>();
    platform::RunLoop::main().setClock(clock);
    qelvo::testing::SilentServer silent;
    auto outcome = load(silent.url("/never.png"));
    // The cache is asked first, on its disk queue; the download starts once it answered.
    ASSERT_TRUE(
        platform::RunLoop::main().runUntil([&] { return downloader->currentDownloadCount() == 1; }, 10.0));
    clock->advance(14.9);
    EXPECT_FALSE(outcome->called);
    clock->advance(0.2);
    ASSERT_TRUE(waitFor(outcome));
    ASSERT_TRUE(outcome->error);
    EXPECT_EQ(outcome->error->code, platform::HttpError::TimedOut);
    EXPECT_TRUE(manager->isFailedURL(silent.url("/never.png")));
}

TEST_F(WebImageManagerTest, AtMostTwoDownloadsRunAndTheThirdStartsWhenOneEnds) {
    for (const std::string path : {"/1.png", "/2.png", "/3.png"}) {
        server.serve(path, pngBytes(2, 2));
        server.hold(path);
    }
    auto one = load(server.url("/1.png"));
    auto two = load(server.url("/2.png"));
    auto three = load(server.url("/3.png"));
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return server.inFlight() == 2; }, 10.0));
    EXPECT_EQ(downloader->currentDownloadCount(), 2u);
    EXPECT_EQ(downloader->queuedDownloadCount(), 1u);
    EXPECT_EQ(server.hits("/3.png"), 0);
    server.release("/2.png");
    ASSERT_TRUE(waitFor(two));
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return server.hits("/3.png") == 1; }, 10.0));
    EXPECT_FALSE(one->called);
    server.release("/1.png");
    server.release("/3.png");
    ASSERT_TRUE(waitFor(one));
    ASSERT_TRUE(waitFor(three));
    EXPECT_TRUE(three->image);
}

TEST_F(WebImageManagerTest, MemoryWarningEmptiesTheMemoryCache) {
    cache->storeImage(std::make_shared<platform::Image>("k", platform::Size{4, 4}), nullptr, "k", false);
    ASSERT_TRUE(cache->imageFromMemoryCacheForKey("k"));
    platform::Application::shared().receiveMemoryWarning();
    EXPECT_FALSE(cache->imageFromMemoryCacheForKey("k"));
    EXPECT_EQ(cache->memCache().count(), 0u);
}

TEST_F(WebImageManagerTest, TerminationRemovesFilesLastModifiedAWeekAgoOrEarlier) {
    auto clock = std::make_shared<platform::ManualClock>(std::chrono::system_clock::now());
    platform::RunLoop::main().setClock(clock);
    auto picture = std::make_shared<platform::Image>("p", platform::Size{1, 1});
    cache->storeImage(picture, std::make_shared<const std::string>("old bytes"), "old", true);
    cache->storeImage(picture, std::make_shared<const std::string>("recent bytes"), "recent", true);
    cache->waitForDiskQueue();
    const auto now = std::chrono::file_clock::now();
    std::filesystem::last_write_time(cache->cachePathForKey("old"), now - std::chrono::hours(24 * 8));
    std::filesystem::last_write_time(cache->cachePathForKey("recent"), now - std::chrono::hours(24 * 6));
    std::ofstream(cache->diskCachePath() + "/.hidden") << "kept";

    platform::NotificationCenter::defaultCenter().post(platform::Application::kWillTerminateNotification);
    EXPECT_FALSE(std::filesystem::exists(cache->cachePathForKey("old")));
    EXPECT_TRUE(std::filesystem::exists(cache->cachePathForKey("recent")));
    EXPECT_TRUE(std::filesystem::exists(cache->diskCachePath() + "/.hidden"));

    // A week later on the loop's clock the other file has aged out too.
    clock->advance(2 * 24 * 3600.0);
    cache->cleanDisk();
    cache->waitForDiskQueue();
    EXPECT_FALSE(std::filesystem::exists(cache->cachePathForKey("recent")));
}

TEST_F(WebImageManagerTest, SizeLimitRemovesTheOldestFilesUntilHalfTheLimit) {
    auto picture = std::make_shared<platform::Image>("p", platform::Size{1, 1});
    const std::string block(4096, 'x');
    for (const std::string key : {"a", "b", "c", "d"}) {
        cache->storeImage(picture, std::make_shared<const std::string>(block), key, true);
    }
    cache->waitForDiskQueue();
    auto now = std::chrono::file_clock::now();
    int age = 4;
    for (const std::string key : {"a", "b", "c", "d"}) {
        std::filesystem::last_write_time(cache->cachePathForKey(key), now - std::chrono::hours(age--));
    }
    cache->setMaxCacheSize(3 * 4096 + 1);
    cache->cleanDisk();
    cache->waitForDiskQueue();
    // 16 KiB is over the limit; the oldest go until less than about 6 KiB remain.
    EXPECT_FALSE(std::filesystem::exists(cache->cachePathForKey("a")));
    EXPECT_FALSE(std::filesystem::exists(cache->cachePathForKey("b")));
    EXPECT_FALSE(std::filesystem::exists(cache->cachePathForKey("c")));
    EXPECT_TRUE(std::filesystem::exists(cache->cachePathForKey("d")));
}

TEST_F(WebImageManagerTest, PictureStoredWithoutBytesIsWrittenAsJpeg) {
    std::vector<platform::Image::Frame> frames(1);
    frames[0].rgba = qelvo::test::filledPixels(4, 4, {10, 200, 10, 255});
    auto picture = std::make_shared<platform::Image>("drawn", platform::Size{4, 4}, 1.0, std::move(frames));
    cache->storeImage(picture, nullptr, "drawn", true);
    cache->waitForDiskQueue();
    auto bytes = platform::FileSystem::readFile(cache->cachePathForKey("drawn"));
    ASSERT_TRUE(bytes);
    ASSERT_GE(bytes->size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>((*bytes)[0]), 0xff);
    EXPECT_EQ(static_cast<unsigned char>((*bytes)[1]), 0xd8);
    cache->clearMemory();
    auto back = cache->imageFromDiskCacheForKey("drawn");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->pixelSize(), (platform::Size{4, 4}));

    cache->removeImageForKey("drawn", true);
    cache->waitForDiskQueue();
    EXPECT_FALSE(cache->imageFromDiskCacheForKey("drawn"));
    cache->storeImage(picture, nullptr, "again", true);
    cache->clearDisk();
    cache->waitForDiskQueue();
    EXPECT_EQ(cache->getDiskCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_directory(cache->diskCachePath()));
}

TEST_F(WebImageManagerTest, MemoryOnlyOptionWritesNoFile) {
    server.serve("/m.png", pngBytes(2, 2));
    ASSERT_TRUE(waitFor(load(server.url("/m.png"), WebImageCacheMemoryOnly)));
    cache->waitForDiskQueue();
    EXPECT_TRUE(cache->imageFromMemoryCacheForKey(server.url("/m.png")));
    EXPECT_EQ(cache->getDiskCount(), 0u);
}

// Answers every download at once with a fixed error.
class FailingDownloader : public WebImageDownloader {
public:
    explicit FailingDownloader(int code) : code_(code) {}
    Download downloadImageWithURL(const std::string& /*url*/, unsigned /*options*/,
                                  ProgressBlock /*progress*/, CompletedBlock completed) override {
        ++calls;
        completed(nullptr, nullptr, WebImageError{WebImageError::kURLErrorDomain, code_, "failed"}, true);
        return {};
    }
    int calls = 0;

private:
    int code_;
};

TEST_F(WebImageManagerTest, NotConnectedFailureMayBeRetriedOtherFailuresNot) {
    auto offline = std::make_shared<FailingDownloader>(WebImageError::kNotConnectedToInternet);
    auto offlineManager = std::make_shared<WebImageManager>(cache, offline);
    auto lost = std::make_shared<FailingDownloader>(platform::HttpError::NetworkConnectionLost);
    auto lostManager = std::make_shared<WebImageManager>(cache, lost);
    int answers = 0;
    auto count = [&answers](const std::shared_ptr<platform::Image>&, const std::optional<WebImageError>&,
                            ImageCacheType, bool) { ++answers; };
    for (int i = 0; i < 2; ++i) {
        offlineManager->downloadWithURL("http://127.0.0.1:9/a.png", 0, nullptr, count);
        lostManager->downloadWithURL("http://127.0.0.1:9/a.png", 0, nullptr, count);
        platform::RunLoop::main().runUntil([&] { return answers == 2 * (i + 1); }, 10.0);
    }
    EXPECT_EQ(offline->calls, 2);
    EXPECT_EQ(lost->calls, 1);
    EXPECT_FALSE(offlineManager->isFailedURL("http://127.0.0.1:9/a.png"));
    EXPECT_TRUE(lostManager->isFailedURL("http://127.0.0.1:9/a.png"));
    EXPECT_FALSE(offlineManager->isRunning());
}

TEST_F(WebImageManagerTest, DownloadReportsProgressAndPostsStartAndStop) {
    const std::string body = pngBytes(30, 30);
    server.serve("/progress.png", body);
    int starts = 0;
    int stops = 0;
    auto& center = platform::NotificationCenter::defaultCenter();
    auto started = center.addObserver(WebImageDownloaderOperation::kStartNotification,
                                      [&](const platform::Notification&) { ++starts; });
    auto stopped = center.addObserver(WebImageDownloaderOperation::kStopNotification,
                                      [&](const platform::Notification&) { ++stops; });
    std::vector<std::pair<std::int64_t, std::int64_t>> reports;
    bool done = false;
    manager->downloadWithURL(
        server.url("/progress.png"), 0,
        [&](std::int64_t received, std::int64_t expected) { reports.emplace_back(received, expected); },
        [&](const std::shared_ptr<platform::Image>&, const std::optional<WebImageError>&, ImageCacheType,
            bool) { done = true; });
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return done; }, 10.0));
    EXPECT_EQ(starts, 1);
    EXPECT_EQ(stops, 1);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports.front(), (std::pair<std::int64_t, std::int64_t>{0, -1}));
    EXPECT_EQ(reports[1], (std::pair<std::int64_t, std::int64_t>{0, static_cast<std::int64_t>(body.size())}));
    EXPECT_EQ(reports.back().first, static_cast<std::int64_t>(body.size()));
}

}  // namespace
