// The control endpoint: per-operation misbehaviours, the request log, reset.

#include "ServiceFixture.h"

#include "Utf8.h"

#include <chrono>

using nlohmann::json;

namespace {

class ControlTest : public ServiceFixture {
protected:
    void misbehave(const json& request) const {
        const auto reply = control("POST", "/control", request);
        ASSERT_EQ(reply.value("result", ""), "ok") << reply.dump();
    }
};

TEST_F(ControlTest, NotJsonAnswersHtmlWithStatus200) {
    misbehave({{"mode", "2"}, {"behaviour", "notJson"}});
    const auto result = postOperation("mode=2");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_TRUE(json::parse(result->body, nullptr, false).is_discarded());
    // Other operations are not touched.
    EXPECT_EQ(operation("mode=3&nowPage=1&pageSize=10").value("result", ""), "0");
}

TEST_F(ControlTest, NotUtf8SendsTheReplyInAnotherEncoding) {
    misbehave({{"mode", "6"}, {"behaviour", "notUtf8"}});
    const auto result = postOperation("mode=6");
    ASSERT_TRUE(result);
    EXPECT_FALSE(qelvo::demo::Utf8::isValid(result->body));
    EXPECT_NE(result->body.find("\"result\""), std::string::npos);
}

TEST_F(ControlTest, ResultFailureCarriesTheGivenMessage) {
    misbehave({{"mode", "8"}, {"behaviour", "resultFailure"}, {"message", "系统升级中"}});
    const auto reply = operation("mode=8&userName=demo&password=qelvo123");
    EXPECT_EQ(reply.value("result", ""), "1");
    EXPECT_EQ(reply.value("message", ""), "系统升级中");
}

TEST_F(ControlTest, Http500AnswersAnHtmlErrorPage) {
    misbehave({{"mode", 3}, {"behaviour", "http500"}});
    const auto result = postOperation("mode=3&nowPage=1&pageSize=10");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 500);
    EXPECT_NE(result->body.find("<html"), std::string::npos);
}

TEST_F(ControlTest, DropClosesTheConnectionBeforeTheBody) {
    misbehave({{"mode", "4"}, {"behaviour", "drop"}});
    const auto result = postOperation("mode=4&categoryId=&nowPage=1&pageSize=10");
    EXPECT_FALSE(result);
}

TEST_F(ControlTest, EmptyAnswersNothing) {
    misbehave({{"mode", "1"}, {"behaviour", "empty"}});
    const auto result = postOperation("mode=1");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_TRUE(result->body.empty());
}

TEST_F(ControlTest, CustomSendsTheGivenReplyOrText) {
    const json custom = {{"result", "0"}, {"dataList", json::array({json{{"title", nullptr}}})}};
    misbehave({{"mode", "6"}, {"behaviour", "custom"}, {"reply", custom}});
    const auto reply = operation("mode=6");
    EXPECT_EQ(reply.value("result", ""), "0");
    EXPECT_TRUE(reply["dataList"][0]["title"].is_null());

    misbehave({{"mode", "6"}, {"behaviour", "custom"}, {"body", "{\"result\":"}});
    const auto cut = postOperation("mode=6");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->body, "{\"result\":");
}

TEST_F(ControlTest, PatchChangesTheRealReply) {
    misbehave(
        {{"mode", "4"}, {"behaviour", "patch"}, {"patch", {{"head", json::array()}, {"hasNext", nullptr}}}});
    const auto reply = operation("mode=4&categoryId=11&nowPage=1&pageSize=10");
    EXPECT_EQ(reply.value("result", ""), "0");
    EXPECT_TRUE(reply.at("head").empty());
    EXPECT_FALSE(reply.contains("hasNext"));
    EXPECT_EQ(reply.at("dataList").size(), 10u);
}

TEST_F(ControlTest, DelayHoldsTheRealReplyBack) {
    misbehave({{"mode", "2"}, {"delay", 400}});
    const auto start = std::chrono::steady_clock::now();
    const auto reply = operation("mode=2");
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0.38);
    EXPECT_EQ(reply.value("result", ""), "0");
}

TEST_F(ControlTest, TimesLimitsTheMisbehaviourThenNormalRepliesReturn) {
    misbehave({{"mode", "kym8.7"}, {"behaviour", "resultFailure"}, {"times", 2}});
    EXPECT_EQ(operation("mode=kym8.7&userId=&content=a").value("result", ""), "1");
    EXPECT_EQ(operation("mode=kym8.7&userId=&content=b").value("result", ""), "1");
    EXPECT_EQ(operation("mode=kym8.7&userId=&content=c").value("result", ""), "0");
    const auto stored = control("GET", "/control/feedback").at("feedback");
    ASSERT_EQ(stored.size(), 1u) << "refused feedback is not kept";
    EXPECT_EQ(stored[0].value("content", ""), "c");
}

TEST_F(ControlTest, EveryModeSwitchAndResetRestoreNormalReplies) {
    misbehave({{"mode", "*"}, {"behaviour", "resultFailure"}});
    EXPECT_EQ(operation("mode=2").value("result", ""), "1");
    EXPECT_EQ(operation("mode=6").value("result", ""), "1");
    control("DELETE", "/control/behaviours");
    EXPECT_EQ(operation("mode=2").value("result", ""), "0");

    misbehave({{"mode", "2"}, {"behaviour", "notJson"}});
    control("POST", "/control/reset");
    EXPECT_EQ(operation("mode=2").value("result", ""), "0");
}

TEST_F(ControlTest, BadControlRequestsAreRefusedWithAnError) {
    for (const auto& request :
         {json{{"behaviour", "notJson"}}, json{{"mode", "2"}, {"behaviour", "explode"}},
          json{{"mode", "2"}, {"delay", "soon"}}, json{{"mode", "2"}, {"times", 0}},
          json{{"mode", "2"}, {"behaviour", "custom"}}, json{{"mode", "2"}, {"behaviour", "patch"}}}) {
        const auto reply = control("POST", "/control", request);
        EXPECT_TRUE(reply.contains("error")) << request.dump();
    }
    auto cli = client();
    const auto notJson = cli.Post("/control", "{oops", "application/json");
    ASSERT_TRUE(notJson);
    EXPECT_EQ(notJson->status, 400);
}

TEST_F(ControlTest, RequestLogRecordsTheBodyExactlyAsSent) {
    const std::string body = "mode=kym8.7&userId=demo&content=发票&税 100%=ok+\t\"quoted\"";
    operation(body);
    auto cli = client();
    cli.Get("/videos/tax-101.mp4", {{"Range", "bytes=10-"}});

    const auto log = control("GET", "/control/requests?from=0");
    const auto& requests = log.at("requests");
    ASSERT_EQ(requests.size(), 2u) << "control calls are not logged";
    EXPECT_EQ(requests[0].value("method", ""), "POST");
    EXPECT_EQ(requests[0].value("path", ""), "/wcm/qelvo/app/index.aspx");
    EXPECT_EQ(requests[0].value("body", ""), body);
    EXPECT_EQ(requests[0].at("headers").value("Content-Type", ""), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[1].value("path", ""), "/videos/tax-101.mp4");
    EXPECT_EQ(requests[1].at("headers").value("Range", ""), "bytes=10-");

    const auto next = log.at("next").get<std::uint64_t>();
    operation("mode=1");
    const auto later = control("GET", "/control/requests?from=" + std::to_string(next));
    ASSERT_EQ(later.at("requests").size(), 1u);
    EXPECT_EQ(later["requests"][0].value("body", ""), "mode=1");

    control("DELETE", "/control/requests");
    EXPECT_TRUE(control("GET", "/control/requests?from=0").at("requests").empty());
}

TEST_F(ControlTest, RequestLogKeepsBodiesThatAreNotUtf8AsHex) {
    const std::string body = "mode=7&searchKey=\xB7\xA2\xC6\xB1&nowPage=1&pageSize=10";
    operation(body);
    const auto requests = control("GET", "/control/requests?from=0").at("requests");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].value("bodyHex", ""), qelvo::demo::Utf8::hex(body));
}

TEST_F(ControlTest, TransfersCountTheFileBytesSentPerPath) {
    // One kept-alive connection: each body is counted before the next request is read.
    auto cli = client();
    cli.set_keep_alive(true);
    const auto picture = cli.Get("/pics/ad2.jpg");
    ASSERT_TRUE(picture);
    ASSERT_TRUE(cli.Get("/videos/synthetic/100000.mp4", {{"Range", "bytes=40000-"}}));
    ASSERT_TRUE(cli.Get("/videos/synthetic/100000.mp4?shortRange=1000"));
    ASSERT_TRUE(cli.Get("/videos/synthetic/100000.mp4?status=500"));  // an error page is no file byte
    const auto tally = json::parse(cli.Get("/control/transfers")->body);
    EXPECT_EQ(tally.at("bytes").value("/pics/ad2.jpg", std::uint64_t{0}), picture->body.size());
    EXPECT_EQ(tally.at("bytes").value("/videos/synthetic/100000.mp4", std::uint64_t{0}), 61000u);
    EXPECT_EQ(tally.value("total", std::uint64_t{0}), picture->body.size() + 61000);

    ASSERT_TRUE(cli.Delete("/control/transfers"));
    EXPECT_EQ(json::parse(cli.Get("/control/transfers")->body), json::parse(R"({"bytes": {}, "total": 0})"));
    ASSERT_TRUE(cli.Get("/pics/ad2.jpg"));
    ASSERT_TRUE(cli.Post("/control/reset", "{}", "application/json"));
    EXPECT_EQ(json::parse(cli.Get("/control/transfers")->body).value("total", 1), 0);
}

TEST_F(ControlTest, MediaVersionIsValidated) {
    EXPECT_TRUE(
        control("POST", "/control/media", {{"path", "videos/x.mp4"}, {"version", 1}}).contains("error"));
    EXPECT_TRUE(
        control("POST", "/control/media", {{"path", "/videos/x.mp4"}, {"version", -1}}).contains("error"));
    EXPECT_EQ(
        control("POST", "/control/media", {{"path", "/videos/x.mp4"}, {"version", 1}}).value("result", ""),
        "ok");
    EXPECT_EQ(control("GET", "/control/media").at("versions").value("/videos/x.mp4", 0), 1);
}

}  // namespace
