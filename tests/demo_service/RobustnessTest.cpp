// Bad input of every kind gets an answer and never brings the service down.

#include "ServiceFixture.h"

#include <random>

using nlohmann::json;

namespace {

class RobustnessTest : public ServiceFixture {};

TEST_F(RobustnessTest, RandomOperationBodiesGetAJsonReply) {
    std::mt19937 random(20240601);
    const std::vector<std::string> pieces = {"mode=",
                                             "1",
                                             "2",
                                             "3",
                                             "4",
                                             "5",
                                             "6",
                                             "7",
                                             "8",
                                             "kym8.7",
                                             "&",
                                             "=",
                                             "%",
                                             "%E5",
                                             "%ZZ",
                                             "nowPage=",
                                             "pageSize=",
                                             "-1",
                                             "99999999999999999999",
                                             "id=",
                                             "searchKey=",
                                             "searchId=",
                                             "categoryId=",
                                             "userName=",
                                             "password=",
                                             "content=",
                                             "\xFF\xFE",
                                             "发票",
                                             "\0",
                                             " ",
                                             "+"};
    for (int round = 0; round < 300; ++round) {
        std::string body;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            body += pieces[random() % pieces.size()];
        const auto result = postOperation(body);
        ASSERT_TRUE(result) << body;
        EXPECT_EQ(result->status, 200) << body;
        const auto reply = json::parse(result->body, nullptr, false);
        ASSERT_TRUE(reply.is_object()) << body;
        EXPECT_TRUE(reply.contains("result")) << body;
    }
    EXPECT_EQ(operation("mode=2").value("result", ""), "0") << "still serving";
}

TEST_F(RobustnessTest, OddAddressesAndHeadersGetAnAnswer) {
    auto cli = client();
    const std::vector<std::pair<std::string, httplib::Headers>> requests = {
        {"/videos/synthetic/99999999999999999999.mp4", {}},
        {"/videos/synthetic/1099511627777.mp4", {}},
        {"/videos/synthetic/0.mp4", {{"Range", "bytes=0-"}}},
        {"/videos/tax-101.mp4?rate=1&dropAfter=0", {}},
        {"/videos/tax-101.mp4", {{"Range", "bytes=-"}}},
        {"/videos/tax-101.mp4", {{"If-Range", "garbage"}, {"Range", "bytes=0-1"}}},
        {"/pics/%00.jpg", {}},
        {"/wcm/qelvo/app/courseDetail.aspx?docId=%FF%FE&userId=<script>", {}},
        {"/wcm/qelvo/app/yijian.aspx?userId=\"><b>", {}},
        {"/control/requests?from=abc", {}},
        {"/", {{"Host", "<bad host>"}}},
    };
    for (const auto& [path, headers] : requests) {
        const auto result = cli.Get(path.c_str(), headers);
        if (!result) continue;  // a dropped transfer is a fair answer to dropAfter=0
        EXPECT_GE(result->status, 200) << path;
        EXPECT_LT(result->status, 600) << path;
        if (result->get_header_value("Content-Type").rfind("text/html", 0) == 0) {
            EXPECT_EQ(result->body.find("<script>"), std::string::npos)
                << "text from the request is escaped: " << path;
            EXPECT_EQ(result->body.find("<bad host>"), std::string::npos) << path;
        }
    }
    const auto empty = cli.Get("/videos/synthetic/0.mp4");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->status, 200);
    EXPECT_TRUE(empty->body.empty());
    EXPECT_EQ(operation("mode=1").value("result", ""), "0") << "still serving";
}

TEST_F(RobustnessTest, UnsupportedMethodsAreRefused) {
    auto cli = client();
    const auto put = cli.Put("/videos/tax-101.mp4", "x", "text/plain");
    ASSERT_TRUE(put);
    EXPECT_EQ(put->status, 405);
    const auto remove = cli.Delete("/wcm/qelvo/app/index.aspx");
    ASSERT_TRUE(remove);
    EXPECT_EQ(remove->status, 405);
}

}  // namespace
