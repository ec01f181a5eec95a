#include "imageloader/ImageViewWebCache.h"
#include "tests/imageloader/ImageLoaderFixture.h"

namespace {

using qelvo::test::gifBytes;
using qelvo::test::ImageLoaderFixture;
using qelvo::test::pngBytes;

class ImageViewWebCacheTest : public ImageLoaderFixture {};

TEST_F(ImageViewWebCacheTest, ShowsThePlaceholderAtOnceThenThePictureWithItsAddress) {
    server.serve("/a.png", pngBytes(12, 8));
    auto view = makeView();
    ImageViewWebCache::setImageWithURL(view, server.url("/a.png"), placeholder);
    EXPECT_EQ(view->image(), placeholder);
    ASSERT_TRUE(waitForPicture(view));
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->pixelSize(), (platform::Size{12, 8}));
    EXPECT_EQ(view->image()->source(), server.url("/a.png"));
    EXPECT_EQ(view->screenEntry()["image"], server.url("/a.png"));
    EXPECT_EQ(server.accept("/a.png"), "image/*");
}

TEST_F(ImageViewWebCacheTest, EmptyOrInvalidAddressLeavesThePlaceholderWithoutAnyRequest) {
    auto view = makeView();
    for (const std::string url : {"", "not a url", "no-scheme/a.png", "http://h/a b.png", "http:"}) {
        ImageViewWebCache::setImageWithURL(view, url, placeholder);
        EXPECT_EQ(view->image(), placeholder) << url;
    }
    EXPECT_FALSE(manager->isRunning());
    EXPECT_EQ(downloader->currentDownloadCount(), 0u);
}

TEST_F(ImageViewWebCacheTest, TwoViewsOfOneAddressShareOneRequestAndBothGetThePicture) {
    server.serve("/shared.png", pngBytes(4, 4));
    server.hold("/shared.png");
    auto first = makeView();
    auto second = makeView();
    ImageViewWebCache::setImageWithURL(first, server.url("/shared.png"), placeholder);
    ImageViewWebCache::setImageWithURL(second, server.url("/shared.png"), placeholder);
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return server.inFlight() == 1; }, 10.0));
    EXPECT_EQ(downloader->currentDownloadCount(), 1u);
    server.release("/shared.png");
    ASSERT_TRUE(waitForPicture(first));
    ASSERT_TRUE(waitForPicture(second));
    EXPECT_EQ(first->image(), second->image());
    EXPECT_EQ(server.hits("/shared.png"), 1);
}

TEST_F(ImageViewWebCacheTest, ReusedViewShowsItsNewRowsPictureNeverTheOldOne) {
    server.serve("/old.png", pngBytes(3, 3));
    server.serve("/new.png", pngBytes(5, 5));
    server.hold("/old.png");
    auto cell = makeView();
    ImageViewWebCache::setImageWithURL(cell, server.url("/old.png"), placeholder);
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return server.inFlight() == 1; }, 10.0));
    // The cell is reused for another row before the old picture arrived.
    ImageViewWebCache::setImageWithURL(cell, server.url("/new.png"), placeholder);
    EXPECT_EQ(cell->image(), placeholder);
    ASSERT_TRUE(waitForPicture(cell));
    EXPECT_EQ(cell->image()->source(), server.url("/new.png"));
    server.release("/old.png");
    ASSERT_TRUE(waitUntilIdle());
    platform::RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(cell->image()->source(), server.url("/new.png"));
    // The old row's download had no requester left and was dropped.
    EXPECT_EQ(downloader->currentDownloadCount(), 0u);
}

TEST_F(ImageViewWebCacheTest, CancelledLoadLeavesThePlaceholder) {
    server.serve("/late.png", pngBytes(3, 3));
    server.hold("/late.png");
    auto view = makeView();
    ImageViewWebCache::setImageWithURL(view, server.url("/late.png"), placeholder);
    ASSERT_TRUE(platform::RunLoop::main().runUntil([&] { return server.inFlight() == 1; }, 10.0));
    ImageViewWebCache::cancelCurrentImageLoad(*view);
    EXPECT_FALSE(manager->isRunning());
    server.release("/late.png");
    platform::RunLoop::main().runUntil([] { return false; }, 0.3);
    EXPECT_EQ(view->image(), placeholder);
    EXPECT_FALSE(cache->imageFromMemoryCacheForKey(server.url("/late.png")));
}

TEST_F(ImageViewWebCacheTest, SecondRequestOfALoadedAddressAnswersFromMemoryWithinTheCall) {
    server.serve("/hit.png", pngBytes(6, 6));
    auto first = makeView();
    ImageViewWebCache::setImageWithURL(first, server.url("/hit.png"), placeholder);
    ASSERT_TRUE(waitForPicture(first));
    cache->waitForDiskQueue();
    // Without its file the picture can only come from memory.
    std::filesystem::remove(cache->cachePathForKey(server.url("/hit.png")));
    auto second = makeView();
    ImageViewWebCache::setImageWithURL(second, server.url("/hit.png"), placeholder);
    EXPECT_EQ(second->image(), first->image());  // no turn of the loop was needed
    EXPECT_EQ(server.hits("/hit.png"), 1);
    EXPECT_FALSE(manager->isRunning());
}

TEST_F(ImageViewWebCacheTest, FailedAddressKeepsThePlaceholderAndIsNotRequestedAgain) {
    auto view = makeView();
    ImageViewWebCache::setImageWithURL(view, server.url("/missing.png"), placeholder);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(view->image(), placeholder);
    EXPECT_TRUE(manager->isFailedURL(server.url("/missing.png")));
    server.serve("/missing.png", pngBytes(2, 2));  // it would be there now
    auto other = makeView();
    ImageViewWebCache::setImageWithURL(other, server.url("/missing.png"), placeholder);
    platform::RunLoop::main().runUntil([] { return false; }, 0.2);
    EXPECT_EQ(other->image(), placeholder);
    EXPECT_EQ(server.hits("/missing.png"), 1);
}

TEST_F(ImageViewWebCacheTest, PictureOfAViewThatWentAwayIsDropped) {
    server.serve("/gone.png", pngBytes(2, 2));
    {
        auto view = makeView();
        ImageViewWebCache::setImageWithURL(view, server.url("/gone.png"), placeholder);
    }
    ASSERT_TRUE(waitUntilIdle());
    // The picture still reached the cache for the next view that asks.
    EXPECT_TRUE(cache->imageFromMemoryCacheForKey(server.url("/gone.png")));
}

TEST_F(ImageViewWebCacheTest, AnimatedGifWithoutDelaysLastsHalfASecondForFiveFrames) {
    server.serve("/anim.gif", gifBytes(4, 4, 5, 0));
    auto view = makeView();
    ImageViewWebCache::setImageWithURL(view, server.url("/anim.gif"), placeholder);
    ASSERT_TRUE(waitForPicture(view));
    EXPECT_EQ(view->image()->frames().size(), 5u);
    EXPECT_DOUBLE_EQ(view->image()->duration(), 0.5);
}

TEST_F(ImageViewWebCacheTest, At2xAddressesGiveScaleTwoUnlessAQueryFollows) {
    server.serve("/a@2x.png", pngBytes(20, 20));
    server.serve("/@2x.jpeg", qelvo::test::jpegBytes(20, 20));
    auto doubled = makeView();
    auto jpeg = makeView();
    auto queried = makeView();
    ImageViewWebCache::setImageWithURL(doubled, server.url("/a@2x.png"), placeholder);
    ImageViewWebCache::setImageWithURL(jpeg, server.url("/@2x.jpeg"), placeholder);
    ImageViewWebCache::setImageWithURL(queried, server.url("/a@2x.png?v=1"), placeholder);
    ASSERT_TRUE(waitForPicture(doubled));
    ASSERT_TRUE(waitForPicture(jpeg));
    ASSERT_TRUE(waitForPicture(queried));
    EXPECT_EQ(doubled->image()->scale(), 2.0);
    EXPECT_EQ(doubled->image()->size(), (platform::Size{10, 10}));
    EXPECT_EQ(jpeg->image()->scale(), 2.0);
    EXPECT_EQ(queried->image()->scale(), 1.0);
}

}  // namespace
