#include "platform/net/CurlError.h"

#include <curl/curl.h>

#include <cerrno>

namespace platform {

HttpError CurlError::toHttpError(int code, long osErrno) {
    switch (static_cast<CURLcode>(code)) {
        case CURLE_OPERATION_TIMEDOUT: return HttpError::make(HttpError::TimedOut);
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY: return HttpError::make(HttpError::CannotFindHost);
        case CURLE_COULDNT_CONNECT:
            // No route at all means the device is offline; anything else is the host.
            if (osErrno == ENETUNREACH || osErrno == ENETDOWN) {
                return HttpError::make(HttpError::NotConnectedToInternet);
            }
            return HttpError::make(HttpError::CannotConnectToHost);
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM: return HttpError::make(HttpError::NetworkConnectionLost);
        case CURLE_TOO_MANY_REDIRECTS: return HttpError::make(HttpError::HTTPTooManyRedirects);
        case CURLE_URL_MALFORMAT: return HttpError::make(HttpError::BadURL);
        case CURLE_UNSUPPORTED_PROTOCOL: return HttpError::make(HttpError::UnsupportedURL);
        case CURLE_BAD_CONTENT_ENCODING: return HttpError::make(HttpError::CannotDecodeContentData);
        case CURLE_ABORTED_BY_CALLBACK: return HttpError::make(HttpError::Cancelled);
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_ENGINE_NOTFOUND:
        case CURLE_SSL_ENGINE_SETFAILED:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_SHUTDOWN_FAILED:
        case CURLE_SSL_CRL_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS:
        case CURLE_USE_SSL_FAILED: return HttpError::make(HttpError::SecureConnectionFailed);
        default: return HttpError::make(HttpError::Unknown);
    }
}

}  // namespace platform
