#include "platform/net/CurlError.h"
#include "platform/net/HttpTypes.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

using platform::CurlError;
using platform::HttpError;

TEST(HttpTypes, HeadersAreFoundWhateverTheirCase) {
    platform::HttpResponse response;
    response.headers = {{"Content-Type", "text/html"}, {"content-length", " 12 "}};
    ASSERT_NE(response.header("CONTENT-TYPE"), nullptr);
    EXPECT_EQ(*response.header("content-type"), "text/html");
    EXPECT_EQ(response.header("Content-Typ"), nullptr);
    EXPECT_EQ(response.expectedContentLength(), 12);
}

TEST(HttpTypes, ContentLengthIsMinusOneWhenAbsentOrUnreadable) {
    platform::HttpResponse response;
    EXPECT_EQ(response.expectedContentLength(), -1);
    response.headers = {{"Content-Length", "12abc"}};
    EXPECT_EQ(response.expectedContentLength(), -1);
    response.headers = {{"Content-Length", "-5"}};
    EXPECT_EQ(response.expectedContentLength(), -1);
    response.headers = {{"Content-Length", "5000000000"}};
    EXPECT_EQ(response.expectedContentLength(), 5000000000LL);
}

TEST(HttpTypes, ErrorsCarryThePlatformTexts) {
    EXPECT_EQ(HttpError::make(HttpError::TimedOut).description, "The request timed out.");
    EXPECT_EQ(HttpError::make(HttpError::CannotConnectToHost).description,
              "Could not connect to the server.");
    EXPECT_EQ(HttpError::make(HttpError::NetworkConnectionLost).description,
              "The network connection was lost.");
    EXPECT_EQ(HttpError::make(HttpError::HTTPTooManyRedirects).description, "too many HTTP redirects");
    EXPECT_EQ(HttpError::make(HttpError::NotConnectedToInternet).description,
              "The Internet connection appears to be offline.");
    EXPECT_EQ(HttpError::make(HttpError::Cancelled).description, "cancelled");
    HttpError unknown = HttpError::make(12345);
    EXPECT_EQ(unknown.code, HttpError::Unknown);
}

TEST(CurlErrorMapping, TransportFailuresBecomeURLErrors) {
    EXPECT_EQ(CurlError::toHttpError(CURLE_OPERATION_TIMEDOUT, 0).code, HttpError::TimedOut);
    EXPECT_EQ(CurlError::toHttpError(CURLE_COULDNT_RESOLVE_HOST, 0).code, HttpError::CannotFindHost);
    EXPECT_EQ(CurlError::toHttpError(CURLE_COULDNT_CONNECT, ECONNREFUSED).code,
              HttpError::CannotConnectToHost);
    EXPECT_EQ(CurlError::toHttpError(CURLE_COULDNT_CONNECT, ENETUNREACH).code,
              HttpError::NotConnectedToInternet);
    EXPECT_EQ(CurlError::toHttpError(CURLE_RECV_ERROR, 0).code, HttpError::NetworkConnectionLost);
    EXPECT_EQ(CurlError::toHttpError(CURLE_GOT_NOTHING, 0).code, HttpError::NetworkConnectionLost);
    EXPECT_EQ(CurlError::toHttpError(CURLE_TOO_MANY_REDIRECTS, 0).code, HttpError::HTTPTooManyRedirects);
    EXPECT_EQ(CurlError::toHttpError(CURLE_URL_MALFORMAT, 0).code, HttpError::BadURL);
    EXPECT_EQ(CurlError::toHttpError(CURLE_PEER_FAILED_VERIFICATION, 0).code,
              HttpError::SecureConnectionFailed);
    EXPECT_EQ(CurlError::toHttpError(CURLE_WRITE_ERROR, 0).code, HttpError::Unknown);
}

}  // namespace
