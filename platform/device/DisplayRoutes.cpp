#include "platform/device/DisplayRoutes.h"

#include "platform/device/DisplayWatcher.h"
#include "platform/device/PngWriter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/image/Image.h"
#include "platform/media/MoviePlayerViewController.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/TabBar.h"
#include "platform/ui/Window.h"
#include "platform/web/WebView.h"

#include <httplib.h>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <optional>

namespace platform {

namespace {

// An open page sends something at least this often, so a page that went away is
// noticed (its write fails) and its server thread is freed.
constexpr auto kStreamPing = std::chrono::seconds(2);
constexpr auto kPageFetchSeconds = 10;
// Pictures written as PNG are kept until this many are held, then all are dropped.
constexpr std::size_t kMaxKeptPictures = 128;

// The display page loads its own scripts, styles, pictures, movie and the web-page
// frame from this server, and nothing else; no other site may frame it (a click tricked
// through a frame would still be a tap). The script places each view's box through its
// style attribute, so style attributes are allowed, but no inline style sheet or script.
constexpr char kDisplayPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; style-src-attr 'unsafe-inline'; "
    "img-src 'self'; media-src 'self'; frame-src 'self'; connect-src 'self'; base-uri 'none'; "
    "form-action 'none'; frame-ancestors 'none'";
// A page from the network is an opaque origin even when opened on its own, so it cannot
// call the device API as the display page; it runs its scripts inside the display's frame
// and nothing more.
constexpr char kWebPagePolicy[] = "sandbox allow-scripts; frame-ancestors 'self'";

DeviceServerResponse withPolicy(DeviceServerResponse response, const char* policy) {
    response.headers.emplace_back("Content-Security-Policy", policy);
    response.headers.emplace_back("Referrer-Policy", "no-referrer");
    return response;
}

std::string contentTypeOf(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    if (extension == ".html") return "text/html; charset=utf-8";
    if (extension == ".js") return "text/javascript; charset=utf-8";
    if (extension == ".css") return "text/css; charset=utf-8";
    if (extension == ".svg") return "image/svg+xml";
    if (extension == ".png") return "image/png";
    if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
    if (extension == ".gif") return "image/gif";
    if (extension == ".mp4" || extension == ".m4v") return "video/mp4";
    if (extension == ".mov") return "video/quicktime";
    return "application/octet-stream";
}

std::optional<std::string> readFile(const std::filesystem::path& file, std::uint64_t from,
                                    std::uint64_t count) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(static_cast<std::streamoff>(from));
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    if (static_cast<std::uint64_t>(in.gcount()) != count) return std::nullopt;
    return bytes;
}

std::optional<std::uint64_t> parseNumber(std::string_view text) {
    std::uint64_t value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) return std::nullopt;
    return value;
}

// The first and last byte a single "bytes=" range asks for, within `size` bytes.
std::optional<std::pair<std::uint64_t, std::uint64_t>> byteRange(std::string_view header,
                                                                 std::uint64_t size) {
    constexpr std::string_view kPrefix = "bytes=";
    if (header.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    header.remove_prefix(kPrefix.size());
    const auto dash = header.find('-');
    if (dash == std::string_view::npos || header.find(',') != std::string_view::npos) return std::nullopt;
    const auto first = header.substr(0, dash);
    const auto last = header.substr(dash + 1);
    if (first.empty()) {  // the last N bytes
        const auto count = parseNumber(last);
        if (!count || *count == 0 || size == 0) return std::nullopt;
        return std::make_pair(size - std::min(*count, size), size - 1);
    }
    const auto from = parseNumber(first);
    if (!from || *from >= size) return std::nullopt;
    if (last.empty()) return std::make_pair(*from, size - 1);
    const auto to = parseNumber(last);
    if (!to || *to < *from) return std::nullopt;
    return std::make_pair(*from, std::min(*to, size - 1));
}

std::string escapeAttribute(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

template <typename Visit>
void eachView(const View& view, const Visit& visit) {
    visit(view);
    for (const auto& child : view.subviews())
        eachView(*child, visit);
}

template <typename Visit>
void eachWindowView(const Visit& visit) {
    for (const auto& window : Window::windows())
        eachView(*window, visit);
}

std::shared_ptr<Image> imageShown(const std::string& source) {
    std::shared_ptr<Image> found;
    const auto consider = [&](const std::shared_ptr<Image>& image) {
        if (!found && image && image->source() == source) found = image;
    };
    eachWindowView([&](const View& view) {
        if (const auto* imageView = dynamic_cast<const ImageView*>(&view)) {
            consider(imageView->displayedImage());
            consider(imageView->image());
        } else if (const auto* button = dynamic_cast<const Button*>(&view)) {
            consider(button->currentBackgroundImage());
            consider(button->currentImage());
        } else if (const auto* tabBar = dynamic_cast<const TabBar*>(&view)) {
            consider(tabBar->backgroundImage());
        }
    });
    return found;
}

bool webViewShows(const std::string& url) {
    bool shown = false;
    eachWindowView([&](const View& view) {
        if (const auto* web = dynamic_cast<const WebView*>(&view); web && web->url() == url) shown = true;
    });
    return shown;
}

std::string presentedMovieFile() {
    for (const auto& window : Window::windows()) {
        for (const auto& controller : window->presentedControllers()) {
            if (const auto* player = dynamic_cast<const MoviePlayerViewController*>(controller.get()))
                return player->filePath();
        }
    }
    return {};
}

DeviceServerResponse bytesAnswer(std::string bytes, const std::string& contentType) {
    DeviceServerResponse response;
    response.contentType = contentType;
    response.body = std::move(bytes);
    response.headers.emplace_back("Cache-Control", "max-age=3600");
    return response;
}

}  // namespace

DisplayRoutes::DisplayRoutes(DeviceOperations& operations, MainCall onMain)
    : operations_(operations), onMain_(std::move(onMain)) {}

DisplayRoutes::~DisplayRoutes() {
    close();
}

std::filesystem::path DisplayRoutes::assetFolder() {
    const char* configured = std::getenv("QELVO_DISPLAY_DIR");  // NOLINT(concurrency-mt-unsafe): never set
    if (configured && *configured) return configured;
    return std::filesystem::path(__FILE__).parent_path() / "display";
}

void DisplayRoutes::open() {
    std::lock_guard lock(mutex_);
    if (watcher_ && !watcher_->isStopped()) return;
    watcher_ = std::make_shared<DisplayWatcher>(
        RunLoop::main(), [&operations = operations_] { return Json::serialize(operations.tree().body); });
}

void DisplayRoutes::close() {
    std::shared_ptr<DisplayWatcher> watcher;
    {
        std::lock_guard lock(mutex_);
        watcher = std::move(watcher_);
    }
    if (watcher) watcher->stop();
}

std::shared_ptr<DisplayWatcher> DisplayRoutes::watcher() const {
    std::lock_guard lock(mutex_);
    return watcher_;
}

std::vector<DisplayRoutes::Route> DisplayRoutes::routes() {
    auto out = unguardedRoutes();
    for (auto& route : out) {
        const char* policy = route.path == "/display/web" ? kWebPagePolicy : kDisplayPolicy;
        route.handler = [handler = std::move(route.handler), policy](const DeviceServerRequest& request) {
            return withPolicy(handler(request), policy);
        };
    }
    return out;
}

std::vector<DisplayRoutes::Route> DisplayRoutes::unguardedRoutes() {
    std::vector<Route> out;
    out.push_back({"GET", "/", [this](const DeviceServerRequest&) { return asset("index.html"); }});
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(assetFolder(), error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name == "index.html") continue;
        out.push_back(
            {"GET", "/display/" + name, [this, name](const DeviceServerRequest&) { return asset(name); }});
    }
    out.push_back({"GET", "/display/events", [this](const DeviceServerRequest&) { return events(); }});
    out.push_back({"GET", "/display/picture", [this](const DeviceServerRequest& r) { return picture(r); }});
    out.push_back({"GET", "/display/web", [this](const DeviceServerRequest& r) { return webPage(r); }});
    out.push_back({"GET", "/display/movie", [this](const DeviceServerRequest& r) { return movie(r); }});
    return out;
}

DeviceServerResponse DisplayRoutes::asset(const std::string& name) const {
    const auto file = assetFolder() / name;
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    auto bytes = error ? std::nullopt : readFile(file, 0, size);
    if (!bytes) return DeviceServerResponse::error(404, "the display file " + name + " is missing");
    DeviceServerResponse response;
    response.contentType = contentTypeOf(file);
    response.body = std::move(*bytes);
    response.headers.emplace_back("Cache-Control", "no-cache");
    return response;
}

DeviceServerResponse DisplayRoutes::events() {
    auto watcher = this->watcher();
    if (!watcher) return DeviceServerResponse::error(503, "the device server is stopping");
    DeviceServerResponse response;
    response.contentType = "text/event-stream";
    response.headers.emplace_back("Cache-Control", "no-cache");
    auto known = std::make_shared<std::uint64_t>(0);
    response.stream = [watcher, known](const DeviceServerResponse::Writer& write) {
        if (watcher->isStopped()) return false;
        const auto revision = watcher->waitNewer(*known, kStreamPing);
        if (watcher->isStopped()) return false;
        if (!revision) return write(": still here\n\n");
        *known = revision->number;
        return write("event: tree\nid: " + std::to_string(revision->number) + "\ndata: " + *revision->tree +
                     "\n\n");
    };
    return response;
}

DeviceServerResponse DisplayRoutes::picture(const DeviceServerRequest& request) {
    const auto it = request.query.find("src");
    if (it == request.query.end() || it->second.empty())
        return DeviceServerResponse::error(400, "give ?src=");
    const std::string& source = it->second;
    if (source.find("://") == std::string::npos) {
        const std::string file = Image::resourceFile(source);
        if (!file.empty()) return fileAnswer(file, contentTypeOf(file), "");
    }
    {
        std::lock_guard lock(mutex_);
        if (const auto kept = pngs_.find(source); kept != pngs_.end())
            return bytesAnswer(kept->second, "image/png");
    }
    std::shared_ptr<Image> image;
    if (!onMain_([&] { image = imageShown(source); }))
        return DeviceServerResponse::error(503, "the app did not take the call in time");
    if (!image) return DeviceServerResponse::error(404, "no view shows the picture " + source);
    auto png = PngWriter::encode(*image);
    if (!png) return DeviceServerResponse::error(404, "the picture " + source + " has no pixels");
    {
        std::lock_guard lock(mutex_);
        if (pngs_.size() >= kMaxKeptPictures) pngs_.clear();
        pngs_[source] = *png;
    }
    return bytesAnswer(std::move(*png), "image/png");
}

DeviceServerResponse DisplayRoutes::webPage(const DeviceServerRequest& request) {
    const auto it = request.query.find("url");
    if (it == request.query.end()) return DeviceServerResponse::error(400, "give ?url=");
    const std::string& url = it->second;
    constexpr std::string_view kScheme = "http://";
    if (url.rfind(kScheme, 0) != 0) return DeviceServerResponse::error(400, "only http pages are shown");
    bool shown = false;
    if (!onMain_([&] { shown = webViewShows(url); }))
        return DeviceServerResponse::error(503, "the app did not take the call in time");
    if (!shown) return DeviceServerResponse::error(404, "no web view shows " + url);

    const auto pathStart = url.find('/', kScheme.size());
    const std::string origin = url.substr(0, pathStart);
    const std::string path = pathStart == std::string::npos ? "/" : url.substr(pathStart);
    httplib::Client client(origin);
    client.set_follow_location(true);
    client.set_connection_timeout(kPageFetchSeconds, 0);
    client.set_read_timeout(kPageFetchSeconds, 0);
    const auto result = client.Get(path);
    if (!result) return DeviceServerResponse::error(502, "the page " + url + " could not be fetched");
    DeviceServerResponse response;
    response.contentType = "text/html; charset=utf-8";
    response.body = pageWithLinkRelay(result->body, url);
    response.headers.emplace_back("Cache-Control", "no-cache");
    return response;
}

std::string DisplayRoutes::pageWithLinkRelay(const std::string& html, const std::string& url) {
    const std::string head =
        "<base href=\"" + escapeAttribute(url) +
        "\"><script>document.addEventListener('click',function(e){"
        "var a=e.target&&e.target.closest?e.target.closest('a[href]'):null;if(!a)return;"
        "e.preventDefault();parent.postMessage({qelvoLink:a.getAttribute('href')},'*');},true);</script>";
    std::string lower = html.substr(0, std::min<std::size_t>(html.size(), 4096));
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto headTag = lower.find("<head");
    const auto headEnd = headTag == std::string::npos ? std::string::npos : lower.find('>', headTag);
    if (headEnd == std::string::npos) return head + html;
    return html.substr(0, headEnd + 1) + head + html.substr(headEnd + 1);
}

DeviceServerResponse DisplayRoutes::movie(const DeviceServerRequest& request) {
    std::string file;
    if (!onMain_([&] { file = presentedMovieFile(); }))
        return DeviceServerResponse::error(503, "the app did not take the call in time");
    constexpr std::string_view kFileScheme = "file://";
    if (file.rfind(kFileScheme, 0) == 0) file.erase(0, kFileScheme.size());
    if (file.empty()) return DeviceServerResponse::error(404, "no movie is playing");
    const auto range = request.headers.find("range");
    return fileAnswer(file, contentTypeOf(file), range == request.headers.end() ? "" : range->second);
}

DeviceServerResponse DisplayRoutes::fileAnswer(const std::filesystem::path& file,
                                               const std::string& contentType, const std::string& range) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(file, error);
    if (error) return DeviceServerResponse::error(404, "no such file");
    DeviceServerResponse response;
    response.contentType = contentType;
    response.headers.emplace_back("Accept-Ranges", "bytes");
    if (range.empty()) {
        auto bytes = readFile(file, 0, size);
        if (!bytes) return DeviceServerResponse::error(404, "the file cannot be read");
        response.body = std::move(*bytes);
        return response;
    }
    const auto wanted = byteRange(range, size);
    if (!wanted) {
        auto refused = DeviceServerResponse::error(416, "the range is outside the file");
        refused.headers.emplace_back("Content-Range", "bytes */" + std::to_string(size));
        return refused;
    }
    auto bytes = readFile(file, wanted->first, wanted->second - wanted->first + 1);
    if (!bytes) return DeviceServerResponse::error(404, "the file cannot be read");
    response.status = 206;
    response.body = std::move(*bytes);
    response.headers.emplace_back("Content-Range", "bytes " + std::to_string(wanted->first) + "-" +
                                                       std::to_string(wanted->second) + "/" +
                                                       std::to_string(size));
    return response;
}

}  // namespace platform
