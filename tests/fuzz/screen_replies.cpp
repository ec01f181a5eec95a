// Service replies as each screen reads them: the home page, the catalogue and a
// category's courses, the news channels and a channel's articles, the search keys and
// results, the login and the feedback answer. The first byte chooses the screen, the
// rest is the reply. The screen is shown in the window, handed the reply as its
// transport would hand it over (or through the reading the transport's completion
// calls), laid out so its rows are made from the reply, and read back as the device
// API reads the screen.

#include "app/LoginViewCon.h"
#include "platform/device/Device.h"
#include "platform/ui/Button.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "screens/CourseListViewCon.h"
#include "screens/CourseViewCon.h"
#include "screens/FeedBackViewCon.h"
#include "screens/MainViewCon.h"
#include "screens/NewsListViewCon.h"
#include "screens/NewsViewCon.h"
#include "screens/SearchResultViewCon.h"
#include "screens/SearchViewCon.h"
#include "service/RequestHelp.h"
#include "tests/fuzz/support/FuzzBytes.h"
#include "tests/fuzz/support/FuzzPlatform.h"

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>

using qelvo::fuzz::FuzzPlatform;

namespace {

// Shows `screen` at the bottom of a navigation stack in the window.
void show(const std::shared_ptr<platform::ViewController>& screen) {
    auto stack = std::make_shared<platform::NavigationController>(screen);
    FuzzPlatform::window().setRootViewController(stack);
    platform::RunLoop::main().runPending();
    FuzzPlatform::window().layoutIfNeeded();
}

// The service's answer to the request in flight on `transport`, delivered as the
// connection delivers one.
void answer(const std::shared_ptr<RequestHelp>& transport, std::string_view body) {
    if (!transport || !transport->running() || !transport->connection()) {
        std::abort();  // the screen sent nothing: the harness no longer reaches its reading
    }
    const auto connection = transport->connection();
    platform::HttpResponse response;
    response.status = 200;
    response.url = connection->originalRequest().url;
    connection->deliverResponse(response);
    connection->deliverData(body);
    connection->deliverFinish();
}

// What the screen shows of the reply, as the device API reads it; then whatever it
// delayed runs, and nothing of it is left for the next screen.
void lookAndClear() {
    FuzzPlatform::window().layoutIfNeeded();
    platform::Device device;
    (void)device.screen();
    (void)device.tree();
    FuzzPlatform::settle();
    FuzzPlatform::window().setRootViewController(nullptr);
    FuzzPlatform::settle();
    FuzzPlatform::forgetStoredState();
}

std::shared_ptr<platform::Button> aButton() {
    return platform::View::create<platform::Button>(platform::Rect::make(0, 0, 10, 10));
}

using Reading = void (*)(std::string_view body);

void home(std::string_view body) {
    auto screen = std::make_shared<MainViewCon>();
    show(screen);
    screen->createUIData(body);
}

void catalogue(std::string_view body) {
    auto screen = std::make_shared<CourseViewCon>();
    show(screen);
    screen->createUIData(body);
}

void categoryCourses(std::string_view body) {
    auto screen = std::make_shared<CourseListViewCon>();
    screen->set_courseCateID("12");
    screen->set_topTitle("税务");
    show(screen);
    screen->createUIData(body);
}

void newsChannels(std::string_view body) {
    auto screen = std::make_shared<NewsViewCon>();
    show(screen);
    if (!screen->dataRequest() || !screen->dataRequest()->running()) {
        screen->getConnection();
    }
    answer(screen->dataRequest(), body);
}

void channelArticles(std::string_view body) {
    auto screen = std::make_shared<NewsListViewCon>();
    screen->setNewsCateID("3");
    show(screen);
    screen->createUIData(body);
}

void searchKeys(std::string_view body) {
    auto screen = std::make_shared<SearchViewCon>();
    show(screen);
    screen->createUIData(body);
}

void searchResults(std::string_view body) {
    auto screen = std::make_shared<SearchResultViewCon>();
    screen->setKeyWords("增值税");
    show(screen);
    screen->createUIData(body);
}

void login(std::string_view body) {
    auto screen = std::make_shared<LoginViewCon>();
    show(screen);
    screen->nameText()->setText("demo");
    screen->pwdText()->setText("secret");
    screen->userLogin(*aButton());
    answer(screen->dataRequest(), body);
}

void feedback(std::string_view body) {
    auto screen = std::make_shared<FeedBackViewCon>();
    show(screen);
    screen->textView()->setText("意见");
    screen->submitEvaluation(*aButton());
    answer(screen->dataRequest(), body);
}

// In the order of the first byte's value (modulo their number).
constexpr Reading kReadings[] = {home,       catalogue,     categoryCourses, newsChannels, channelArticles,
                                 searchKeys, searchResults, login,           feedback};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    FuzzPlatform::start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const Reading reading = kReadings[data[0] % std::size(kReadings)];
    reading(qelvo::fuzz::bytesOf(data + 1, size - 1));
    lookAndClear();
    return 0;
}
