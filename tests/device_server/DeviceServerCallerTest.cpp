// Who may call the device server: every route, the display page, its files and the event
// stream included, answers only requests that name the server itself as Host, come from no
// page or from the display page's own origin, and send POST bodies as JSON.

#include "platform/device/DisplayRoutes.h"
#include "platform/foundation/Json.h"
#include "tests/device_server/DeviceServerTestSupport.h"

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

struct RawAnswer {
    int status = 0;
    std::string head;  // status line and headers, lower case
    std::string body;
};

struct Route {
    std::string method;
    std::string path;
};

class DeviceServerCallerTest : public qelvo::testing::DeviceServerFixture {
protected:
    // Sends `head` (request line and headers, without the blank line) and `body` on a
    // connection of its own and reads the whole answer. A refused request needs no main
    // loop; `pumpMainLoop` runs it meanwhile for one that is carried out.
    RawAnswer exchange(const std::string& head, const std::string& body = "", bool pumpMainLoop = false) {
        std::string text = head + "Connection: close\r\n";
        if (!body.empty()) text += "Content-Length: " + std::to_string(body.size()) + "\r\n";
        text += "\r\n" + body;
        std::string received;
        const auto talk = [&] {
            const int fd = qelvo::testing::connectTo("127.0.0.1", server.port());
            if (fd < 0) return;
            ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
            char buffer[4096];
            for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
                received.append(buffer, static_cast<std::size_t>(n));
            ::close(fd);
        };
        if (pumpMainLoop) {
            std::atomic<bool> done{false};
            std::thread sender([&] {
                talk();
                done = true;
            });
            platform::RunLoop::main().runUntil([&] { return done.load(); }, 30.0);
            sender.join();
        } else {
            talk();
        }
        RawAnswer answer;
        const auto end = received.find("\r\n\r\n");
        if (received.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos) return answer;
        answer.status = std::stoi(received.substr(9, 3));
        answer.head = received.substr(0, end);
        for (auto& c : answer.head)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        answer.body = received.substr(end + 4);
        return answer;
    }

    std::string own(const std::string& name) const { return name + ":" + std::to_string(server.port()); }

    static std::string request(const Route& route, const std::string& headers) {
        return route.method + " " + route.path + " HTTP/1.1\r\n" + headers;
    }

    // Every route the server has: the automation calls and the display's.
    static std::vector<Route> everyRoute() {
        std::vector<Route> routes = {{"GET", "/api/screen"},
                                     {"GET", "/api/tree"},
                                     {"GET", "/api/log"},
                                     {"GET", "/"},
                                     {"GET", "/display/events"},
                                     {"GET", "/display/picture?src=a"},
                                     {"GET", "/display/web?url=http%3A%2F%2F127.0.0.1%3A1%2F"},
                                     {"GET", "/display/movie"},
                                     {"GET", "/api/nothing"},
                                     {"POST", "/api/nothing"}};
        std::error_code missing;
        for (const auto& entry :
             std::filesystem::directory_iterator(platform::DisplayRoutes::assetFolder(), missing))
            routes.push_back({"GET", "/display/" + entry.path().filename().string()});
        for (const std::string name :
             {"tap", "touch", "drag", "swipe", "type", "key", "alert", "link", "back", "app", "network", "quit"})
            routes.push_back({"POST", "/api/" + name});
        return routes;
    }

    static void expectRefused(const RawAnswer& answer, int status, const std::string& what) {
        EXPECT_EQ(answer.status, status) << what;
        EXPECT_NE(answer.head.find("content-type: application/json"), std::string::npos) << what;
        const auto body = jsonOf(answer.body);
        EXPECT_TRUE(body.is_object() && body.value("error", platform::Value()).is_string())
            << what << answer.body;
        EXPECT_EQ(answer.body.find("secret line"), std::string::npos) << what;
        EXPECT_EQ(answer.head.find("access-control-"), std::string::npos) << what;
    }
    static platform::Value jsonOf(const std::string& body) {
        return platform::Value::parse(body, nullptr, false);
    }
};

TEST_F(DeviceServerCallerTest, OnlyItsOwnHostItsOwnPageAndJsonBodiesAreServedOnEveryRoute) {
    platform::Log::shared().write("secret line");
    const std::string port = std::to_string(server.port());
    const std::string json = "Content-Type: application/json\r\n";
    const std::vector<std::string> foreignHosts = {"evil.example:" + port,
                                                   "127.0.0.1.evil.example:" + port,
                                                   "localhost.evil.example:" + port,
                                                   "127.0.0.1",
                                                   "localhost:" + std::to_string(server.port() + 1),
                                                   "[::1]",
                                                   "127.0.0.2:" + port,
                                                   ""};
    const std::vector<std::string> foreignOrigins = {"http://evil.example",
                                                     "null",
                                                     "http://127.0.0.1:" + std::to_string(server.port() + 1),
                                                     "https://127.0.0.1:" + port,
                                                     "http://localhost:" + port + ".evil.example",
                                                     "http://[::1]:" + port};
    for (const auto& route : everyRoute()) {
        const std::string body = route.method == "POST" ? "{}" : "";
        const std::string typed = route.method == "POST" ? json : "";
        for (const auto& host : foreignHosts)
            expectRefused(exchange(request(route, "Host: " + host + "\r\n" + typed), body), 403,
                          route.path + " Host " + host);
        expectRefused(exchange(request(route, typed), body), 403, route.path + " without Host");
        for (const auto& origin : foreignOrigins) {
            expectRefused(exchange(request(route, "Host: " + own("127.0.0.1") + "\r\nOrigin: " + origin +
                                                      "\r\n" + typed),
                                   body),
                          403, route.path + " Origin " + origin);
        }
        if (route.method != "POST") continue;
        // The bodies a page of another site can send without asking first, and near misses.
        const std::string multipart =
            "--x\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n{}\r\n--x--\r\n";
        for (const auto& [type, sent] : std::vector<std::pair<std::string, std::string>>{
                 {"", body},
                 {"Content-Type: text/plain\r\n", body},
                 {"Content-Type: application/x-www-form-urlencoded\r\n", "a={}"},
                 {"Content-Type: multipart/form-data; boundary=x\r\n", multipart},
                 {"Content-Type: text/json\r\n", body},
                 {"Content-Type: application/jsonp\r\n", body}}) {
            expectRefused(exchange(request(route, "Host: " + own("127.0.0.1") + "\r\n" + type), sent), 415,
                          route.path + " " + type);
        }
    }
    // A preflight is never answered with a permission, from any origin.
    for (const std::string& origin : {std::string("http://evil.example"), "http://127.0.0.1:" + port}) {
        const auto preflight = exchange(
            "OPTIONS /api/tap HTTP/1.1\r\nHost: " + own("127.0.0.1") + "\r\nOrigin: " + origin +
            "\r\nAccess-Control-Request-Method: POST\r\nAccess-Control-Request-Headers: content-type\r\n");
        EXPECT_GE(preflight.status, 400) << origin;
        EXPECT_EQ(preflight.head.find("access-control-"), std::string::npos) << origin;
    }
    platform::RunLoop::main().runPending();
    EXPECT_EQ(operations.callCount(), 0u) << "nothing refused reached an operation";

    // The server's own names, in any case, and its own page pass.
    for (const std::string host : {"127.0.0.1", "localhost", "LocalHost", "localhost.", "[::1]"}) {
        const auto answer = exchange("GET /api/screen HTTP/1.1\r\nHost: " + own(host) + "\r\n", "", true);
        EXPECT_EQ(answer.status, 200) << host;
    }
    for (const std::string origin : {"http://127.0.0.1", "http://localhost", "HTTP://LOCALHOST"}) {
        const auto answer = exchange("POST /api/tap HTTP/1.1\r\nHost: " + own("localhost") +
                                         "\r\nOrigin: " + own(origin) + "\r\n" + json,
                                     R"({"x": 1, "y": 2})", true);
        EXPECT_EQ(answer.status, 200) << origin;
    }
    const auto charset = exchange("POST /api/back HTTP/1.1\r\nHost: " + own("127.0.0.1") +
                                      "\r\nContent-Type: Application/JSON; charset=utf-8\r\n",
                                  "{}", true);
    EXPECT_EQ(charset.status, 200);
    EXPECT_EQ(operations.callCount(), 5u + 3u + 1u);
}

}  // namespace
