// The web pages: course pages with their "doLogin" and "video:" links, article pages
// and the service's own pages.

#include "ServiceFixture.h"

using nlohmann::json;

namespace {

class PagesTest : public ServiceFixture {
protected:
    // The course page address as the detail screen forms it from a course dictionary.
    std::string coursePage(const json& course, const std::string& userId) const {
        auto url = course.at("url").get<std::string>();
        url = url.substr(origin().size());
        if (!userId.empty())
            return url + "?userId=" + userId + "&docId=" + course.at("id").get<std::string>() + "&from=iOS";
        return url + "?docId=" + course.at("id").get<std::string>() + "&from=iOS";
    }

    json firstCourse() const { return operation("mode=5&id=1&nowPage=1&pageSize=10").at("dataList").at(0); }

    httplib::Result get(const std::string& path) const {
        auto cli = client();
        return cli.Get(path.c_str());
    }
};

TEST_F(PagesTest, CoursePageCarriesLoginAndVideoLinks) {
    const auto course = firstCourse();
    const auto result = get(coursePage(course, ""));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_NE(result->get_header_value("Content-Type").find("text/html"), std::string::npos);
    EXPECT_NE(result->body.find("charset=\"utf-8\""), std::string::npos);
    EXPECT_NE(result->body.find("href=\"doLogin\""), std::string::npos);
    EXPECT_NE(result->body.find(course.at("title").get<std::string>()), std::string::npos);

    // "video:" + absolute video address + "*" + file identifier (the course id).
    const std::string marker = "href=\"video:";
    const auto start = result->body.find(marker);
    ASSERT_NE(start, std::string::npos) << result->body;
    const auto end = result->body.find('"', start + marker.size());
    const auto link = result->body.substr(start + marker.size(), end - start - marker.size());
    const auto star = link.rfind('*');
    ASSERT_NE(star, std::string::npos) << link;
    const auto address = link.substr(0, star);
    EXPECT_EQ(link.substr(star + 1), course.at("id").get<std::string>());
    ASSERT_EQ(address.rfind(origin() + "/videos/", 0), 0u) << address;
    EXPECT_EQ(address.substr(address.size() - 4), ".mp4");

    // The video behind the link is really there.
    auto cli = client();
    const auto video = cli.Get(address.substr(origin().size()).c_str());
    ASSERT_TRUE(video);
    EXPECT_EQ(video->status, 200);
    EXPECT_EQ(video->get_header_value("Content-Type"), "video/mp4");
    EXPECT_EQ(video->body.substr(4, 4), "ftyp");
}

TEST_F(PagesTest, CoursePageShowsWhoIsLoggedIn) {
    const auto course = firstCourse();
    const auto loggedOut = get(coursePage(course, ""));
    const auto loggedIn = get(coursePage(course, "10001"));
    ASSERT_TRUE(loggedOut && loggedIn);
    EXPECT_NE(loggedOut->body.find("您还没有登录"), std::string::npos);
    EXPECT_EQ(loggedOut->body.find("演示学员"), std::string::npos);
    EXPECT_NE(loggedIn->body.find("演示学员"), std::string::npos);
    EXPECT_EQ(loggedIn->body.find("您还没有登录"), std::string::npos);
    EXPECT_NE(loggedIn->body.find("href=\"doLogin\""), std::string::npos)
        << "the login link stays when logged in";
}

TEST_F(PagesTest, UnknownCourseGivesAnHtml404) {
    const auto result = get("/wcm/qelvo/app/courseDetail.aspx?docId=0&from=iOS");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
    EXPECT_NE(result->body.find("<html"), std::string::npos);
}

TEST_F(PagesTest, ArticleAndAdvertisementPagesOpenFromTheirDictionaries) {
    const auto articles = operation("mode=4&categoryId=11&nowPage=1&pageSize=10");
    const auto home = operation("mode=2");
    for (const auto& item : {articles["dataList"][0], articles["head"][0], home["adList"][0]}) {
        const auto url = item.at("url").get<std::string>().substr(origin().size());
        const auto result = get(url + "?docId=" + item.at("id").get<std::string>() + "&from=iOS");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200) << item.dump();
        EXPECT_NE(result->body.find(item.at("title").get<std::string>()), std::string::npos);
    }
    // An article links to others of its channel, and those links open.
    const auto first =
        get("/wcm/qelvo/app/newsDetail.aspx?docId=" + articles["dataList"][0]["id"].get<std::string>() +
            "&from=iOS");
    ASSERT_TRUE(first);
    const std::string marker = "<li><a href=\"";
    const auto at = first->body.find(marker);
    ASSERT_NE(at, std::string::npos);
    auto link = first->body.substr(at + marker.size(),
                                   first->body.find('"', at + marker.size()) - at - marker.size());
    link.replace(link.find("&amp;"), 5, "&");
    const auto related = get(link);
    ASSERT_TRUE(related);
    EXPECT_EQ(related->status, 200) << link;
    EXPECT_NE(link, "/wcm/qelvo/app/newsDetail.aspx?docId=" +
                        articles["dataList"][0]["id"].get<std::string>() + "&from=iOS");

    const auto missing = get("/wcm/qelvo/app/newsDetail.aspx?docId=nothing&from=iOS");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST_F(PagesTest, ServicePagesAnswerWithChineseHtml) {
    const std::pair<const char*, const char*> pages[] = {{"/wcm/qelvo/app/yijian.aspx", "意见反馈"},
                                                         {"/wcm/qelvo/app/GuanYuWoMen.aspx", "关于我们"},
                                                         {"/wcm/qelvo/app/LianXiWoMen.aspx", "联系我们"}};
    for (const auto& [path, title] : pages) {
        const auto result = get(path);
        ASSERT_TRUE(result) << path;
        EXPECT_EQ(result->status, 200) << path;
        EXPECT_NE(result->body.find(title), std::string::npos) << path;
        EXPECT_NE(result->body.find("name=\"viewport\""), std::string::npos) << path;
    }
}

TEST_F(PagesTest, FeedbackPageNamesTheUserAndStoresWhatItsFormSends) {
    const auto page = get("/wcm/qelvo/app/yijian.aspx?userId=10001");
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find("演示学员"), std::string::npos);

    auto cli = client();
    const auto sent =
        cli.Post("/wcm/qelvo/app/yijian.aspx?userId=10001", "content=%E5%BE%88%E5%A5%BD+%E8%B0%A2%E8%B0%A2",
                 "application/x-www-form-urlencoded");
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->status, 200);
    const auto stored = control("GET", "/control/feedback").at("feedback");
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].value("content", ""), "很好 谢谢");
    EXPECT_EQ(stored[0].value("userId", ""), "10001");
}

TEST_F(PagesTest, UnknownAddressesGetAnHtml404) {
    const auto result = get("/no/such/page");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
    EXPECT_NE(result->body.find("404"), std::string::npos);
}

TEST_F(PagesTest, EveryPictureOfTheRepliesExists) {
    std::vector<std::string> pictures;
    const auto collect = [&](const json& list) {
        for (const auto& item : list) {
            if (item.contains("image")) pictures.push_back(item["image"].get<std::string>());
            if (item.contains("subList"))
                for (const auto& course : item["subList"])
                    pictures.push_back(course["image"].get<std::string>());
        }
    };
    const auto home = operation("mode=2");
    collect(home["adList"]);
    collect(home["dataList"]);
    for (int nowPage = 1; nowPage <= 3; ++nowPage)
        collect(operation("mode=3&nowPage=" + std::to_string(nowPage) + "&pageSize=10")["dataList"]);
    for (int nowPage = 1; nowPage <= 2; ++nowPage)
        collect(
            operation("mode=7&searchKey=&nowPage=" + std::to_string(nowPage) + "&pageSize=100")["dataList"]);
    const auto channels = operation("mode=4&categoryId=&nowPage=1&pageSize=10");
    for (const auto& channel : channels["category"])
        collect(operation("mode=4&categoryId=" + channel["id"].get<std::string>() +
                          "&nowPage=1&pageSize=10")["head"]);
    ASSERT_GT(pictures.size(), 150u);

    auto cli = client();
    for (const auto& address : pictures) {
        const auto result = cli.Head(address.substr(origin().size()).c_str());
        ASSERT_TRUE(result) << address;
        EXPECT_EQ(result->status, 200) << address;
        EXPECT_EQ(result->get_header_value("Content-Type").rfind("image/", 0), 0u) << address;
    }
}

TEST_F(PagesTest, PicturesComeAsPngJpegAndAnimatedGifWithDoubleSizeVariants) {
    auto cli = client();
    const auto png = cli.Get("/pics/category/1.png");
    const auto png2x = cli.Get("/pics/category/1@2x.png");
    const auto jpeg = cli.Get("/pics/ad1.jpg");
    const auto jpeg2x = cli.Get("/pics/ad1@2x.jpg");
    const auto gif = cli.Get("/pics/ad4@2x.gif");
    ASSERT_TRUE(png && png2x && jpeg && jpeg2x && gif);
    EXPECT_EQ(png->body.substr(1, 3), "PNG");
    EXPECT_EQ(png2x->body.substr(1, 3), "PNG");
    EXPECT_GT(png2x->body.size(), png->body.size());
    EXPECT_EQ(jpeg->body.substr(0, 2), "\xFF\xD8");
    EXPECT_GT(jpeg2x->body.size(), jpeg->body.size());
    EXPECT_EQ(gif->body.substr(0, 6), "GIF89a");
    EXPECT_EQ(gif->get_header_value("Content-Type"), "image/gif");
    // An animated GIF holds more than one image descriptor and the looping extension.
    EXPECT_NE(gif->body.find("NETSCAPE2.0"), std::string::npos);

    // Five frames whose graphic control blocks hold a delay of zero.
    const auto noDelay = cli.Get("/pics/nodelay5.gif");
    ASSERT_TRUE(noDelay);
    const std::string zeroDelay("\x21\xF9\x04\x00\x00\x00", 6);
    std::size_t frames = 0;
    for (auto at = noDelay->body.find(zeroDelay); at != std::string::npos;
         at = noDelay->body.find(zeroDelay, at + 1))
        ++frames;
    EXPECT_EQ(frames, 5u);
}

}  // namespace
