// The operations of the service endpoint and the reply fields the client reads.

#include "ServiceFixture.h"

#include <set>

using nlohmann::json;

namespace {

class OperationsTest : public ServiceFixture {
protected:
    json page(const std::string& prefix, int nowPage) const {
        return operation(prefix + "&nowPage=" + std::to_string(nowPage) + "&pageSize=10");
    }

    // Every item of every page of a paged list, checking the paging fields on the way.
    std::vector<json> allPages(const std::string& prefix) const {
        std::vector<json> items;
        for (int nowPage = 1; nowPage < 50; ++nowPage) {
            const auto reply = page(prefix, nowPage);
            EXPECT_EQ(reply.value("result", ""), "0") << prefix;
            EXPECT_EQ(reply.value("nowPage", ""), std::to_string(nowPage));
            const auto& list = reply.at("dataList");
            for (const auto& item : list)
                items.push_back(item);
            if (reply.value("hasNext", "") != "true") {
                EXPECT_EQ(reply.value("hasNext", ""), "false");
                EXPECT_LE(list.size(), 10u);
                break;
            }
            EXPECT_EQ(list.size(), 10u) << "a page before the last holds 10 items";
        }
        return items;
    }

    void expectCourse(const json& course) const {
        for (const char* key : {"id", "title", "image", "info", "url", "detailTitle"}) {
            ASSERT_TRUE(course.contains(key)) << key << " missing in " << course.dump();
            EXPECT_TRUE(course[key].is_string()) << key;
            EXPECT_FALSE(course[key].get<std::string>().empty()) << key;
        }
        EXPECT_EQ(course["image"].get<std::string>().rfind(origin() + "/pics/", 0), 0u);
        EXPECT_EQ(course["url"].get<std::string>().rfind(origin() + "/", 0), 0u);
        EXPECT_EQ(course["url"].get<std::string>().find('?'), std::string::npos)
            << "the client adds the query";
    }
};

TEST_F(OperationsTest, UsageReportsAreCountedAndReadableThroughControl) {
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(operation("mode=1").value("result", ""), "0");
    EXPECT_EQ(control("GET", "/control/usage").value("count", 0), 3);
}

TEST_F(OperationsTest, HomePageHasAdvertisementsAndFeaturedSections) {
    const auto reply = operation("mode=2");
    ASSERT_EQ(reply.value("result", ""), "0");
    ASSERT_GE(reply.at("adList").size(), 4u);
    for (const auto& ad : reply["adList"]) {
        for (const char* key : {"image", "url", "id", "detailTitle"})
            EXPECT_TRUE(ad.contains(key)) << key;
        EXPECT_EQ(ad["image"].get<std::string>().rfind(origin() + "/pics/", 0), 0u);
    }
    ASSERT_GE(reply.at("dataList").size(), 5u);
    bool someHaveMore = false;
    bool oneHasMoreThanThree = false;
    for (const auto& section : reply["dataList"]) {
        const auto id = section.at("id").get<std::string>();
        const auto hasMore = section.at("hasMore").get<std::string>();
        EXPECT_TRUE(hasMore == "true" || hasMore == "false");
        EXPECT_FALSE(section.at("title").get<std::string>().empty());
        const auto& courses = section.at("subList");
        ASSERT_FALSE(courses.empty());
        for (const auto& course : courses)
            expectCourse(course);
        // "more" is offered exactly when the category holds more courses than the row shows.
        const auto category = page("mode=5&id=" + id, 1);
        EXPECT_EQ(hasMore == "true", std::stoul(category.value("totalCount", "0")) > courses.size()) << id;
        someHaveMore = someHaveMore || hasMore == "true";
        oneHasMoreThanThree = oneHasMoreThanThree || courses.size() > 3;
    }
    EXPECT_TRUE(someHaveMore);
    EXPECT_TRUE(oneHasMoreThanThree);
}

TEST_F(OperationsTest, CategoriesComeInPagesOfTenWithHasNextFalseOnTheLast) {
    EXPECT_EQ(page("mode=3", 1).at("dataList").size(), 10u);
    EXPECT_EQ(page("mode=3", 1).value("hasNext", ""), "true");
    const auto categories = allPages("mode=3");
    ASSERT_GE(categories.size(), 25u);
    std::set<std::string> ids;
    for (const auto& category : categories) {
        ids.insert(category.at("id").get<std::string>());
        EXPECT_FALSE(category.at("title").get<std::string>().empty());
        EXPECT_EQ(category.at("image").get<std::string>().rfind(origin() + "/pics/", 0), 0u);
    }
    EXPECT_EQ(ids.size(), categories.size()) << "no category repeats across pages";
    const auto beyond = page("mode=3", 99);
    EXPECT_EQ(beyond.value("result", ""), "0");
    EXPECT_TRUE(beyond.at("dataList").empty());
    EXPECT_EQ(beyond.value("hasNext", ""), "false");
}

TEST_F(OperationsTest, CoursesOfTheLargestCategoryFillThreePages) {
    std::size_t largest = 0;
    for (const auto& category : allPages("mode=3")) {
        const auto courses = allPages("mode=5&id=" + category.at("id").get<std::string>());
        for (const auto& course : courses)
            expectCourse(course);
        largest = std::max(largest, courses.size());
    }
    EXPECT_GE(largest, 25u);
}

TEST_F(OperationsTest, UnknownCategoryIsRefusedWithAMessage) {
    const auto reply = page("mode=5&id=does-not-exist", 1);
    EXPECT_NE(reply.value("result", ""), "0");
    EXPECT_FALSE(reply.value("message", "").empty());
}

TEST_F(OperationsTest, NewsChannelsEachHoldPagedArticlesWithHeadlinesOnPageOne) {
    const auto channels = operation("mode=4&categoryId=&nowPage=1&pageSize=10");
    ASSERT_EQ(channels.value("result", ""), "0");
    ASSERT_GE(channels.at("category").size(), 4u);
    for (const auto& channel : channels["category"]) {
        const auto id = channel.at("id").get<std::string>();
        EXPECT_FALSE(channel.at("title").get<std::string>().empty());
        const auto first = page("mode=4&categoryId=" + id, 1);
        ASSERT_TRUE(first.contains("head")) << id;
        ASSERT_FALSE(first["head"].empty());
        for (const auto& head : first["head"]) {
            for (const char* key : {"image", "title", "url", "id", "detailTitle"})
                EXPECT_TRUE(head.contains(key)) << key;
        }
        EXPECT_FALSE(page("mode=4&categoryId=" + id, 2).contains("head")) << "later pages keep the strip";
        const auto articles = allPages("mode=4&categoryId=" + id);
        EXPECT_GE(articles.size(), 25u) << id;
        for (const auto& article : articles) {
            for (const char* key : {"title", "info", "url", "id", "detailTitle"})
                EXPECT_TRUE(article.contains(key)) << key;
        }
    }
}

TEST_F(OperationsTest, SuggestedKeysHoldSearchCategoriesAndCourses) {
    const auto reply = operation("mode=6");
    ASSERT_EQ(reply.value("result", ""), "0");
    const auto& keys = reply.at("dataList");
    ASSERT_GE(keys.size(), 7u);
    int categories = 0;
    int courses = 0;
    for (const auto& key : keys) {
        EXPECT_FALSE(key.at("title").get<std::string>().empty());
        EXPECT_FALSE(key.at("id").get<std::string>().empty());
        if (key.at("type") == "1") {
            ++categories;
        } else {
            ++courses;
            expectCourse(key);
        }
    }
    EXPECT_GT(categories, 0);
    EXPECT_GT(courses, 0);
}

TEST_F(OperationsTest, SearchFindsCoursesByTitleAndBySummary) {
    const auto byTitle = allPages("mode=7&searchKey=年终奖");
    ASSERT_EQ(byTitle.size(), 1u);
    EXPECT_NE(byTitle[0]["title"].get<std::string>().find("年终奖"), std::string::npos);

    // "累计预扣法" occurs in a summary only.
    const auto bySummary = allPages("mode=7&searchKey=累计预扣法");
    ASSERT_EQ(bySummary.size(), 1u);
    EXPECT_EQ(bySummary[0]["title"].get<std::string>().find("累计预扣法"), std::string::npos);
    EXPECT_NE(bySummary[0]["info"].get<std::string>().find("累计预扣法"), std::string::npos);
}

TEST_F(OperationsTest, SearchKeyMayBeRawUtf8OrPercentEncoded) {
    const auto raw = operation("mode=7&searchKey=发票&nowPage=1&pageSize=10");
    const auto encoded = operation("mode=7&searchKey=%E5%8F%91%E7%A5%A8&nowPage=1&pageSize=10");
    ASSERT_EQ(raw.value("result", ""), "0");
    ASSERT_FALSE(raw.at("dataList").empty());
    EXPECT_EQ(raw.at("dataList"), encoded.at("dataList"));
    EXPECT_EQ(raw.at("totalCount"), encoded.at("totalCount"));
}

TEST_F(OperationsTest, SearchResultsArePagedUntilHasNextIsFalse) {
    const auto all = allPages("mode=7&searchKey=税");
    ASSERT_GT(all.size(), 20u);
    const auto first = page("mode=7&searchKey=税", 1);
    EXPECT_EQ(std::stoul(first.value("totalCount", "0")), all.size());
    std::set<std::string> ids;
    for (const auto& course : all)
        ids.insert(course.at("id").get<std::string>());
    EXPECT_EQ(ids.size(), all.size());
}

TEST_F(OperationsTest, SearchWithinASuggestedCategoryListsThatCategory) {
    const auto keys = operation("mode=6").at("dataList");
    for (const auto& key : keys) {
        if (key.at("type") != "1") continue;
        const auto id = key["id"].get<std::string>();
        const auto found =
            allPages("mode=7&searchKey=" + key["title"].get<std::string>() + "&searchId=" + id);
        const auto category = allPages("mode=5&id=" + id);
        EXPECT_EQ(found.size(), category.size()) << key.dump();
    }
}

TEST_F(OperationsTest, SearchKeyMayContainAmpersandAndSpaces) {
    const auto reply = operation("mode=7&searchKey=A%26B%3DC&nowPage=1&pageSize=10");
    EXPECT_EQ(reply.value("searchKey", ""), "A&B=C");
    EXPECT_EQ(reply.value("nowPage", ""), "1");
    EXPECT_TRUE(reply.at("dataList").empty());
    // Words separated by spaces must all match; the spaces around them do not count.
    const auto one = operation("mode=7&searchKey=住房&nowPage=1&pageSize=10").at("dataList");
    const auto both = operation("mode=7&searchKey=+专项附加扣除+住房+&nowPage=1&pageSize=10").at("dataList");
    ASSERT_FALSE(both.empty());
    EXPECT_LT(both.size(), one.size());
    for (const auto& course : both) {
        const auto text = course["title"].get<std::string>() + course["info"].get<std::string>();
        EXPECT_NE(text.find("住房"), std::string::npos);
        EXPECT_NE(text.find("专项附加扣除"), std::string::npos);
    }
}

TEST_F(OperationsTest, LoginWithTheDemoAccountReturnsItsUserId) {
    const auto reply = operation("mode=8&userName=demo&password=qelvo123");
    EXPECT_EQ(reply.value("result", ""), "0");
    EXPECT_EQ(reply.value("userId", ""), "10001");
}

TEST_F(OperationsTest, LoginIsRefusedWithAMessageUnlessBothTextsMatchExactly) {
    for (const char* body :
         {"mode=8&userName=demo&password=wrong", "mode=8&userName=Demo&password=qelvo123",
          "mode=8&userName=demo&password=qelvo123 ", "mode=8&userName= demo&password=qelvo123",
          "mode=8&userName=nobody&password=qelvo123", "mode=8&userName=demo&password=",
          "mode=8&userName=&password=qelvo123", "mode=8&userName=locked&password=qelvo123"}) {
        const auto reply = operation(body);
        EXPECT_EQ(reply.value("result", ""), "1") << body;
        EXPECT_FALSE(reply.value("message", "").empty()) << body;
        EXPECT_FALSE(reply.contains("userId")) << body;
    }
}

TEST_F(OperationsTest, APasswordWithReservedCharactersMatchesWhenSentEncoded) {
    const auto reply = operation("mode=8&userName=symbols&password=a%26b%3Dc%2Bd+100%25");
    EXPECT_EQ(reply.value("result", ""), "0") << reply.dump();
    EXPECT_EQ(reply.value("userId", ""), "10004");
    EXPECT_EQ(operation("mode=8&userName=symbols&password=a&b=c+d 100%").value("result", ""), "1")
        << "unencoded, the body holds another password";
    EXPECT_EQ(operation("mode=8&userName=student&password=study2024&x=1").value("result", ""), "0");
}

TEST_F(OperationsTest, FeedbackIsAcceptedAndStoredExactly) {
    const auto reply = operation("mode=kym8.7&userId=demo&content=课程很好%26希望多一些案例%3D谢谢");
    EXPECT_EQ(reply.value("result", ""), "0");
    EXPECT_EQ(operation("mode=kym8.7&userId=&content=视频清晰").value("result", ""), "0");
    const auto stored = control("GET", "/control/feedback").at("feedback");
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].value("userId", "?"), "demo");
    EXPECT_EQ(stored[0].value("content", ""), "课程很好&希望多一些案例=谢谢");
    EXPECT_EQ(stored[1].value("userId", "?"), "");
}

TEST_F(OperationsTest, EmptyFeedbackIsRefusedWithAMessage) {
    const auto reply = operation("mode=kym8.7&userId=demo&content=");
    EXPECT_EQ(reply.value("result", ""), "1");
    EXPECT_FALSE(reply.value("message", "").empty());
    EXPECT_TRUE(control("GET", "/control/feedback").at("feedback").empty());
}

TEST_F(OperationsTest, UnknownOrMissingModeIsAFailureReply) {
    for (const char* body : {"mode=99", "", "nonsense", "mode="}) {
        const auto reply = operation(body);
        EXPECT_EQ(reply.value("result", ""), "1") << body;
        EXPECT_FALSE(reply.value("message", "").empty()) << body;
    }
}

TEST_F(OperationsTest, AddressesUseTheHostTheClientAskedFor) {
    auto cli = client();
    const auto result = cli.Post("/wcm/qelvo/app/index.aspx", {{"Host", "service.example:4321"}}, "mode=2",
                                 "application/x-www-form-urlencoded");
    ASSERT_TRUE(result);
    const auto reply = json::parse(result->body);
    EXPECT_EQ(reply["adList"][0]["image"].get<std::string>().rfind("http://service.example:4321/pics/", 0),
              0u);
}

TEST_F(OperationsTest, BrowsersMayAskWithAQueryString) {
    auto cli = client();
    const auto result = cli.Get("/wcm/qelvo/app/index.aspx?mode=3&nowPage=2&pageSize=10");
    ASSERT_TRUE(result);
    const auto reply = json::parse(result->body);
    EXPECT_EQ(reply.value("nowPage", ""), "2");
    EXPECT_EQ(reply.at("dataList").size(), 10u);
}

}  // namespace
