#include "platform/web/WebAddress.h"

#include <gtest/gtest.h>

namespace {

using platform::WebAddress;

TEST(WebAddressValidity, TakesAddressesExactlyAsWritten) {
    EXPECT_TRUE(WebAddress::isValid("http://127.0.0.1:8080/wcm/qelvo/app/newsDetail.aspx?docId=7&from=iOS"));
    EXPECT_TRUE(WebAddress::isValid("video:http://h:80/videos/tax-101.mp4*77"));
    EXPECT_TRUE(WebAddress::isValid("doLogin"));
    EXPECT_TRUE(WebAddress::isValid("a%20b"));
    EXPECT_FALSE(WebAddress::isValid("http://h/a b")) << "an unescaped space";
    EXPECT_FALSE(WebAddress::isValid("http://h/课程")) << "non-ASCII text";
    EXPECT_FALSE(WebAddress::isValid("http://h/\"x\""));
    EXPECT_FALSE(WebAddress::isValid("http://h/a%2"));
    EXPECT_FALSE(WebAddress::isValid("http://h/a%zz"));
    EXPECT_FALSE(WebAddress::isValid("1http://h/"));
    EXPECT_FALSE(WebAddress::isValid(""));
}

TEST(WebAddressValidity, OnlyHttpAndHttpsAreLoadable) {
    EXPECT_EQ(WebAddress::scheme("HTTP://h/"), "http");
    EXPECT_EQ(WebAddress::scheme("video:http://h/a*1"), "video");
    EXPECT_FALSE(WebAddress::scheme("page/a:b").has_value());
    EXPECT_TRUE(WebAddress::isLoadable("http://h/"));
    EXPECT_TRUE(WebAddress::isLoadable("https://h/a"));
    EXPECT_FALSE(WebAddress::isLoadable("video:http://h/a.mp4*1"));
    EXPECT_FALSE(WebAddress::isLoadable("ftp://h/a"));
    EXPECT_FALSE(WebAddress::isLoadable("doLogin"));
    EXPECT_FALSE(WebAddress::isLoadable("http:"));
}

TEST(WebAddressResolution, FollowsTheReferenceRules) {
    const std::string base = "http://a/b/c/d;p?q";
    EXPECT_EQ(WebAddress::resolve(base, "g"), "http://a/b/c/g");
    EXPECT_EQ(WebAddress::resolve(base, "./g"), "http://a/b/c/g");
    EXPECT_EQ(WebAddress::resolve(base, "g/"), "http://a/b/c/g/");
    EXPECT_EQ(WebAddress::resolve(base, "/g"), "http://a/g");
    EXPECT_EQ(WebAddress::resolve(base, "//g"), "http://g/")
        << "an empty path is written \"/\", as browsers do";
    EXPECT_EQ(WebAddress::resolve(base, "?y"), "http://a/b/c/d;p?y");
    EXPECT_EQ(WebAddress::resolve(base, "g?y"), "http://a/b/c/g?y");
    EXPECT_EQ(WebAddress::resolve(base, "#s"), "http://a/b/c/d;p?q#s");
    EXPECT_EQ(WebAddress::resolve(base, ""), "http://a/b/c/d;p?q");
    EXPECT_EQ(WebAddress::resolve(base, "."), "http://a/b/c/");
    EXPECT_EQ(WebAddress::resolve(base, ".."), "http://a/b/");
    EXPECT_EQ(WebAddress::resolve(base, "../g"), "http://a/b/g");
    EXPECT_EQ(WebAddress::resolve(base, "../../g"), "http://a/g");
    EXPECT_EQ(WebAddress::resolve(base, "../../../g"), "http://a/g");
    EXPECT_EQ(WebAddress::resolve("http://a", "g"), "http://a/g");
}

TEST(WebAddressResolution, KeepsAbsoluteAndOtherSchemesAsWritten) {
    const std::string page = "http://h:8080/wcm/qelvo/app/courseDetail.aspx?docId=7&from=iOS";
    EXPECT_EQ(WebAddress::resolve(page, "doLogin"), "http://h:8080/wcm/qelvo/app/doLogin");
    EXPECT_EQ(WebAddress::resolve(page, "video:http://h:8080/videos/a.mp4*7"),
              "video:http://h:8080/videos/a.mp4*7");
    EXPECT_EQ(WebAddress::resolve(page, "https://other/x/../y"), "https://other/y");
    EXPECT_EQ(WebAddress::resolve("", "next.html"), "next.html");
}

}  // namespace
