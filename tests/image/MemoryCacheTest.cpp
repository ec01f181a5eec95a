#include "platform/image/MemoryCache.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using platform::Image;
using platform::MemoryCache;

std::shared_ptr<Image> picture(const std::string& name) {
    return std::make_shared<Image>(name, platform::Size{1, 1});
}

TEST(MemoryCache, KeepsReplacesAndRemovesPicturesWithTheirCosts) {
    MemoryCache cache;
    auto a = picture("a");
    cache.setObject("a", a, 10);
    cache.setObject("b", picture("b"), 5);
    EXPECT_EQ(cache.objectForKey("a"), a);
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_EQ(cache.totalCost(), 15u);

    auto newer = picture("a2");
    cache.setObject("a", newer, 3);
    EXPECT_EQ(cache.objectForKey("a"), newer);
    EXPECT_EQ(cache.totalCost(), 8u);

    cache.removeObjectForKey("b");
    EXPECT_FALSE(cache.objectForKey("b"));
    EXPECT_EQ(cache.totalCost(), 3u);
    cache.setObject("a", nullptr);
    EXPECT_FALSE(cache.objectForKey("a"));

    cache.setObject("x", picture("x"), 1);
    cache.setObject("y", picture("y"), 1);
    cache.removeAllObjects();
    EXPECT_EQ(cache.count(), 0u);
    EXPECT_EQ(cache.totalCost(), 0u);
}

TEST(MemoryCache, LimitsEvictTheLeastRecentlyUsedFirst) {
    MemoryCache cache;
    cache.setTotalCostLimit(10);
    cache.setObject("a", picture("a"), 4);
    cache.setObject("b", picture("b"), 4);
    ASSERT_TRUE(cache.objectForKey("a"));  // "b" is now the least recently used
    cache.setObject("c", picture("c"), 4);
    EXPECT_TRUE(cache.objectForKey("a"));
    EXPECT_FALSE(cache.objectForKey("b"));
    EXPECT_TRUE(cache.objectForKey("c"));
    EXPECT_LE(cache.totalCost(), 10u);

    cache.setTotalCostLimit(0);
    cache.setCountLimit(1);
    EXPECT_EQ(cache.count(), 1u);
    EXPECT_TRUE(cache.objectForKey("c"));
}

TEST(MemoryCache, SafeFromSeveralThreads) {
    MemoryCache cache;
    cache.setCountLimit(50);
    std::vector<std::thread> threads;
    threads.reserve(4);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int i = 0; i < 500; ++i) {
                std::string key = std::to_string((t * 500 + i) % 80);
                cache.setObject(key, picture(key), 1);
                cache.objectForKey(std::to_string(i % 80));
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_LE(cache.count(), 50u);
    EXPECT_EQ(cache.totalCost(), cache.count());
}

}  // namespace
