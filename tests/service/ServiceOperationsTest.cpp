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
              "mode=7&searchKey=个税&searchId=9&nowPage=1&pageSize=10");
    EXPECT_EQ(ServiceOperations::searchAll("个税", 12), "mode=7&searchKey=个税&nowPage=12&pageSize=10");
    EXPECT_EQ(ServiceOperations::login("zhang", "p@ss"), "mode=8&userName=zhang&password=p@ss");
    EXPECT_EQ(ServiceOperations::feedback("", "很好"), "mode=kym8.7&userId=&content=很好");
}

TEST(ServiceOperations, ValuesAreInsertedWithoutEscaping) {
    EXPECT_EQ(ServiceOperations::login("a&b=c", "x y%20"), "mode=8&userName=a&b=c&password=x y%20");
    EXPECT_EQ(ServiceOperations::feedback("li", "1+1=2 & more"),
              "mode=kym8.7&userId=li&content=1+1=2 & more");
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
              "mode=8&userName=a&password=******");
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
