#include "service/ServiceEndpoint.h"
#include "service/ServiceOperations.h"
#include "service/ServiceReply.h"

#include "platform/foundation/Log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(ServiceOperations, BodiesAreExactlyWhatTheServiceExpects) {
    EXPECT_EQ(ServiceOperations::usageReport(), "mode=1");
    EXPECT_EQ(ServiceOperations::homePage(), "mode=2");
    EXPECT_EQ(ServiceOperations::courseCategories(3), "mode=3&nowPage=3&pageSize=10");
    EXPECT_EQ(ServiceOperations::categoryCourses("c17", 1), "mode=5&id=c17&nowPage=1&pageSize=10");
    EXPECT_EQ(ServiceOperations::newsChannels(), "mode=4&categoryId=&nowPage=1&pageSize=10");
    EXPECT_EQ(ServiceOperations::channelArticles("42", 2), "mode=4&categoryId=42&nowPage=2&pageSize=10");
    EXPECT_EQ(ServiceOperations::searchKeys(), "mode=6");
    EXPECT_EQ(ServiceOperations::searchInCategory("个税", "9", 1),
              "mode=7&searchKey=%E4%B8%AA%E7%A8%8E&searchId=9&nowPage=1&pageSize=10");
    EXPECT_EQ(ServiceOperations::searchAll("个税", 12),
              "mode=7&searchKey=%E4%B8%AA%E7%A8%8E&nowPage=12&pageSize=10");
    EXPECT_EQ(ServiceOperations::login("zhang", "qelvo123"), "mode=8&userName=zhang&password=qelvo123");
    EXPECT_EQ(ServiceOperations::feedback("", "很好"), "mode=kym8.7&userId=&content=%E5%BE%88%E5%A5%BD");
}

// What a person types arrives as typed and cannot add or change a field of the request.
TEST(ServiceOperations, EveryValueIsFormEncodedAndTheRestIsLeftAsItIs) {
    EXPECT_EQ(ServiceOperations::searchAll("C++ & 税", 1),
              "mode=7&searchKey=C%2B%2B+%26+%E7%A8%8E&nowPage=1&pageSize=10");
    EXPECT_EQ(ServiceOperations::searchAll("x&pageSize=1000", 1),
              "mode=7&searchKey=x%26pageSize%3D1000&nowPage=1&pageSize=10");
    EXPECT_EQ(ServiceOperations::login("a&b=c", "x y%20+"), "mode=8&userName=a%26b%3Dc&password=x+y%2520%2B");
    EXPECT_EQ(ServiceOperations::feedback("li", "Az09-._*~!'()/?#\t\n\x7F"),
              "mode=kym8.7&userId=li&content=Az09-._*%7E%21%27%28%29%2F%3F%23%09%0A%7F");
    EXPECT_EQ(ServiceOperations::categoryCourses("a b", 2), "mode=5&id=a+b&nowPage=2&pageSize=10");
    EXPECT_EQ(ServiceOperations::channelArticles("1;2", 1), "mode=4&categoryId=1%3B2&nowPage=1&pageSize=10");
    EXPECT_EQ(ServiceOperations::searchInCategory("k", "=", 1),
              "mode=7&searchKey=k&searchId=%3D&nowPage=1&pageSize=10");

    // The log shows the body as it goes out.
    platform::Log::shared().setEcho(false);
    std::size_t from = platform::Log::shared().lineCount();
    ServiceOperations::logPost(ServiceOperations::searchAll("C++ & 税", 1));
    std::size_t next = 0;
    EXPECT_EQ(
        platform::Log::shared().linesFrom(from, &next),
        std::vector<std::string>{"postStr is: mode=7&searchKey=C%2B%2B+%26+%E7%A8%8E&nowPage=1&pageSize=10"});
}

TEST(ServiceOperations, PostedBodiesAreLogged) {
    platform::Log::shared().setEcho(false);
    std::size_t next = platform::Log::shared().lineCount();
    std::size_t from = next;
    ServiceOperations::logPost(ServiceOperations::homePage());
    std::vector<std::string> lines = platform::Log::shared().linesFrom(from, &next);
    EXPECT_EQ(lines, std::vector<std::string>{"postStr is: mode=2"});
}

// The log is readable by anyone on the machine through the device API: a login's
// password (the rest of the body after its key, "&" included) never shows in it.
TEST(ServiceOperations, TheLoggedLoginBodyMasksThePassword) {
    EXPECT_EQ(ServiceOperations::loggableBody(ServiceOperations::login("zhang", "p@ss&word=1")),
              "mode=8&userName=zhang&password=******");
    EXPECT_EQ(ServiceOperations::loggableBody(ServiceOperations::login("a&password=b", "secret")),
              "mode=8&userName=a%26password%3Db&password=******");
    EXPECT_EQ(ServiceOperations::loggableBody("mode=kym8.7&userId=x&content=&password=kept"),
              "mode=kym8.7&userId=x&content=&password=kept");
    platform::Log::shared().setEcho(false);
    std::size_t from = platform::Log::shared().lineCount();
    ServiceOperations::logPost(ServiceOperations::login("zhang", "hunter2"));
    std::size_t next = 0;
    auto lines = platform::Log::shared().linesFrom(from, &next);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].find("hunter2"), std::string::npos) << lines[0];
}

// These cases change the environment; no other thread reads it meanwhile.
// NOLINTBEGIN(concurrency-mt-unsafe)
class ServiceEndpointTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* value = std::getenv(ServiceEndpoint::kHostEnvironmentVariable)) {
            saved_ = value;
        }
        unsetenv(ServiceEndpoint::kHostEnvironmentVariable);
        ServiceEndpoint::setHost("");
    }
    void TearDown() override {
        ServiceEndpoint::setHost("");
        if (saved_) {
            setenv(ServiceEndpoint::kHostEnvironmentVariable, saved_->c_str(), 1);
        } else {
            unsetenv(ServiceEndpoint::kHostEnvironmentVariable);
        }
    }
    std::optional<std::string> saved_;
};

TEST_F(ServiceEndpointTest, DefaultsToTheLocalDemoService) {
    EXPECT_EQ(ServiceEndpoint::serviceUrl(), "http://127.0.0.1:8080/wcm/qelvo/app/index.aspx");
}

TEST_F(ServiceEndpointTest, FlagWinsOverEnvironment) {
    setenv(ServiceEndpoint::kHostEnvironmentVariable, "10.0.0.5:81", 1);
    EXPECT_EQ(ServiceEndpoint::host(), "10.0.0.5:81");
    ServiceEndpoint::setHost("service.example:9000");
    EXPECT_EQ(ServiceEndpoint::serviceUrl(), "http://service.example:9000/wcm/qelvo/app/index.aspx");
}

// NOLINTEND(concurrency-mt-unsafe)

TEST_F(ServiceEndpointTest, ServicePagesLiveOnTheSameHost) {
    ServiceEndpoint::setHost("h:1");
    EXPECT_EQ(ServiceEndpoint::feedbackPageUrl(""), "http://h:1/wcm/qelvo/app/yijian.aspx");
    EXPECT_EQ(ServiceEndpoint::feedbackPageUrl("u7"), "http://h:1/wcm/qelvo/app/yijian.aspx?userId=u7");
    EXPECT_EQ(ServiceEndpoint::aboutPageUrl(), "http://h:1/wcm/qelvo/app/GuanYuWoMen.aspx");
    EXPECT_EQ(ServiceEndpoint::contactPageUrl(), "http://h:1/wcm/qelvo/app/LianXiWoMen.aspx");
}

TEST(ServiceReply, ResultMustBeTheStringZero) {
    EXPECT_TRUE(ServiceReply::isSuccess(*ServiceReply::parse(R"({"result":"0"})")));
    EXPECT_FALSE(ServiceReply::isSuccess(*ServiceReply::parse(R"({"result":"1","message":"密码错误"})")));
    EXPECT_FALSE(ServiceReply::isSuccess(*ServiceReply::parse(R"({"result":0})")));
    EXPECT_FALSE(ServiceReply::isSuccess(*ServiceReply::parse(R"({"message":"x"})")));
    EXPECT_EQ(ServiceReply::message(*ServiceReply::parse(R"({"result":"1","message":"密码错误"})")),
              "密码错误");
}

TEST(ServiceReply, BodiesThatAreNoObjectYieldNothing) {
    EXPECT_FALSE(ServiceReply::parse("").has_value());
    EXPECT_FALSE(ServiceReply::parse("<html></html>").has_value());
    EXPECT_FALSE(ServiceReply::parse("[1,2]").has_value());
}

TEST(ServiceReply, PagingFieldsFollowTheServiceConvention) {
    auto reply =
        *ServiceReply::parse(R"({"result":"0","nowPage":"2","hasNext":"true","dataList":[{"id":"1"}]})");
    EXPECT_EQ(ServiceReply::nowPage(reply), 2);
    EXPECT_TRUE(ServiceReply::hasNext(reply));
    ASSERT_NE(ServiceReply::dataList(reply), nullptr);
    EXPECT_EQ(ServiceReply::dataList(reply)->size(), 1u);

    auto last = *ServiceReply::parse(R"({"result":"0","nowPage":3,"hasNext":"false","dataList":{}})");
    EXPECT_EQ(ServiceReply::nowPage(last), 3);
    EXPECT_FALSE(ServiceReply::hasNext(last));
    EXPECT_EQ(ServiceReply::dataList(last), nullptr);
    EXPECT_FALSE(ServiceReply::hasNext(*ServiceReply::parse(R"({"hasNext":true})")));
}

}  // namespace
