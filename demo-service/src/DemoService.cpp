#include "DemoService.h"

#include "ContentLoader.h"
#include "ElasticTaskQueue.h"
#include "ErrorPage.h"
#include "ServicePaths.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <thread>

namespace qelvo::demo {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";

// Set while a request went through our handler, so that the logger records only
// the requests httplib answered by itself (a Range it could not read, for example).
thread_local bool handledByService = false;

std::string lowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool isControl(const std::string& path) {
    return path == "/control" || startsWith(path, "/control/");
}

void sendError(httplib::Response& response, int status, std::string_view detail = {}) {
    response.status = status;
    response.set_content(ErrorPage::render(status, detail), kHtml);
}

}  // namespace

std::unique_ptr<DemoService> DemoService::create(const ServiceOptions& options, std::string& error) {
    auto content = ContentLoader::load(options.dataDir, error);
    if (!content) return nullptr;
    return std::unique_ptr<DemoService>(new DemoService(options, std::move(*content)));
}

DemoService::DemoService(const ServiceOptions& options, ServiceContent content)
    : options_(options),
      content_(std::move(content)),
      state_(options.seed),
      media_(options.dataDir),
      contentOperations_(content_),
      userOperations_(content_, state_.usage, state_.feedback),
      operations_(contentOperations_, userOperations_, state_.behaviours),
      mediaEndpoint_(media_, {state_.versions, state_.mediaRequests, state_.mediaFaults, state_.transfers},
                     options.stallCap),
      coursePage_(content_),
      articlePage_(content_),
      servicePages_(content_, userOperations_),
      indexPage_(content_),
      control_(state_) {
    configureServer();
}

DemoService::~DemoService() {
    stop();
}

void DemoService::configureServer() {
    const auto maxThreads = options_.maxThreads;
    server_.new_task_queue = [maxThreads] { return new ElasticTaskQueue(maxThreads); };
    // Short idle and read limits keep a stop prompt: a worker waits at most this long
    // on an idle kept-alive connection before it notices the stop.
    // Headers and body go out in separate writes: without this, Nagle's algorithm
    // holds the body of a reply on a kept-alive connection until the client's
    // delayed acknowledgement, some 40 ms.
    server_.set_tcp_nodelay(true);
    server_.set_keep_alive_timeout(2);
    server_.set_keep_alive_max_count(1000);
    server_.set_read_timeout(3, 0);
    server_.set_write_timeout(5, 0);
    server_.set_payload_max_length(std::size_t{8} * 1024 * 1024);
    // Browser tools may read the replies from pages of another origin.
    server_.set_default_headers({{"Server", "qelvo-demo-service"}, {"Access-Control-Allow-Origin", "*"}});

    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        handle(request, response);
    };
    server_.Get(".*", handler);
    server_.Post(".*", handler);
    server_.Put(".*", handler);
    server_.Delete(".*", handler);
    server_.Patch(".*", handler);
    server_.Options(".*", handler);
    server_.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        afterResponse(request, response);
    });
}

int DemoService::bind() {
    if (options_.port == 0)
        port_ = server_.bind_to_any_port(options_.host);
    else
        port_ = server_.bind_to_port(options_.host, options_.port) ? options_.port : -1;
    return port_;
}

bool DemoService::run() {
    if (port_ < 0 && bind() < 0) return false;
    serving_ = true;
    const bool served =
        stopping_.stop_requested() || server_.listen_after_bind() || stopping_.stop_requested();
    serving_ = false;
    return served;
}

void DemoService::stop() {
    stopping_.request_stop();
    if (stopIssued_.exchange(true)) return;
    // A stop right after run() began may come before the server accepts; wait for that moment.
    for (int i = 0; i < 400 && serving_ && !server_.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    server_.stop();
}

std::string DemoService::origin() const {
    const bool ipv6 = options_.host.find(':') != std::string::npos;
    return fmt::format("http://{}{}{}:{}", ipv6 ? "[" : "", options_.host, ipv6 ? "]" : "", port_);
}

void DemoService::handle(const httplib::Request& request, httplib::Response& response) {
    handledByService = true;
    // Byte ranges are answered by the media endpoint itself (with its misbehaviours);
    // httplib must not cut any body down on its own.
    const_cast<httplib::Request&>(request).ranges.clear();
    const auto logIndex = isControl(request.path) ? 0 : state_.requests.record(request);
    try {
        dispatch(request, response, logIndex);
    } catch (const std::exception& failure) {
        response = httplib::Response();
        sendError(response, 500, failure.what());
    } catch (...) {
        response = httplib::Response();
        sendError(response, 500);
    }
}

void DemoService::dispatch(const httplib::Request& request, httplib::Response& response,
                           std::uint64_t logIndex) {
    const auto& path = request.path;
    const auto& method = request.method;
    const bool read = method == "GET" || method == "HEAD";
    if (isControl(path)) {
        control_.handle(request, response);
        return;
    }
    const auto site = SiteAddress::fromRequest(request, origin().substr(std::string("http://").size()));
    if (startsWith(path, "/pics/") || startsWith(path, "/videos/")) {
        if (!read) return sendError(response, 405);
        const auto fault = mediaEndpoint_.handle(request, response, site, stopping_.get_token());
        if (fault) state_.requests.noteFault(logIndex, RandomFaults::name(*fault));
        return;
    }
    // The service's pages are ASP.NET pages: their names do not depend on case.
    const auto page = lowerAscii(path);
    if (page == lowerAscii(paths::kOperations)) {
        if (!read && method != "POST") return sendError(response, 405);
        operations_.handle(request, response, site, stopping_.get_token());
        return;
    }
    if (page == lowerAscii(paths::kFeedbackPage) && (read || method == "POST"))
        return servicePages_.feedback(request, response);
    if (!read) return sendError(response, 405);
    if (page == lowerAscii(paths::kCoursePage)) return coursePage_.handle(request, response, site);
    if (page == lowerAscii(paths::kArticlePage)) return articlePage_.handle(request, response, site);
    if (page == lowerAscii(paths::kAboutPage)) return servicePages_.about(response);
    if (page == lowerAscii(paths::kContactPage)) return servicePages_.contact(response);
    if (path == "/" || page == "/index.html") return indexPage_.handle(response, site);
    sendError(response, 404, path);
}

void DemoService::afterResponse(const httplib::Request& request, const httplib::Response& response) {
    if (!handledByService && !isControl(request.path)) state_.requests.record(request);
    handledByService = false;
    if (options_.accessLog) {
        std::fprintf(stderr, "%s %s %d\n", request.method.c_str(), request.target.c_str(), response.status);
        std::fflush(stderr);
    }
}

}  // namespace qelvo::demo
