#include "screens/Waiter.h"

#include "platform/ui/Button.h"
#include "tests/components/ComponentsFixture.h"

#include <thread>

using platform::Point;
using platform::Rect;
using platform::View;

namespace {

class WaiterTest : public qelvo::test::ComponentsFixture {
protected:
    void SetUp() override {
        ComponentsFixture::SetUp();
        Waiter::instance().HUD()->hide(false);  // the overlay outlives every test
    }
};

TEST_F(WaiterTest, IsOneOverlayOnTheFirstWindowWithTheLoadingText) {
    Waiter& waiter = Waiter::instance();
    EXPECT_EQ(&Waiter::instance(), &waiter);
    auto second = View::create<platform::Window>(platform::Screen::bounds());
    second->makeKeyAndVisible();
    EXPECT_EQ(waiter.window(), window);

    waiter.show();
    auto hud = waiter.HUD();
    EXPECT_EQ(hud->superview(), window.get());
    EXPECT_EQ(hud->frame(), window->bounds());
    EXPECT_EQ(hud->labelText(), "正在加载...");
    EXPECT_EQ(ProgressHUD::visibleLabelText(), "正在加载...");
}

TEST_F(WaiterTest, BlocksTheWholeWindowWhileShownAndFreesItAfterTheFade) {
    int taps = 0;
    auto button = View::create<platform::Button>(Rect::make(30, 300, 260, 40));
    button->addAction([&](platform::Control&) { ++taps; }, platform::TouchUpInside);
    window->addSubview(button);

    Waiter& waiter = Waiter::instance();
    waiter.show();
    // A view added after the overlay stays beneath it once shown.
    EXPECT_EQ(window->subviews().back(), waiter.HUD());
    window->tap(Point{160, 320});
    EXPECT_EQ(taps, 0);

    waiter.hide();
    clock->advance(0.3);
    EXPECT_TRUE(waiter.HUD()->isFinished());
    EXPECT_EQ(waiter.HUD()->superview(), window.get());
    window->tap(Point{160, 320});
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(ProgressHUD::visibleLabelText(), std::nullopt);
}

TEST_F(WaiterTest, ShowingWithoutAnyWindowDoesNothingHarmful) {
    platform::Window::resetAll();
    Waiter& waiter = Waiter::instance();
    EXPECT_EQ(waiter.window(), nullptr);
    waiter.show();
    EXPECT_EQ(ProgressHUD::visibleLabelText(), std::nullopt);
    waiter.hide();
}

TEST_F(WaiterTest, ConcurrentFirstCallsGetTheSameInstance) {
    std::vector<Waiter*> seen(4, nullptr);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] { seen[i] = &Waiter::instance(); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (Waiter* waiter : seen) {
        EXPECT_EQ(waiter, &Waiter::instance());
    }
}

}  // namespace
