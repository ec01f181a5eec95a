#include "screens/MainViewCon.h"

#include "platform/ui/Application.h"

MainViewCon::MainViewCon(std::string nibName) : platform::ViewController(std::move(nibName)) {}

void MainViewCon::viewDidLoad() {
    bool newerSystem = platform::Application::shared().systemVersionNumber() >= 7.0;
    double height = newerSystem ? 65 : 45;
    double itemTop = newerSystem ? 28 : 8;
    _headerView = platform::View::create(platform::Rect::make(0, 0, 320, height));
    _headerView->setBackgroundColor(platform::Color::rgb255(0, 92, 123));
    _headerView->setAutoresizingMask(platform::FlexibleWidth);
    auto title = platform::View::create<platform::Label>(platform::Rect::make(70, itemTop, 180, 30));
    title->setText("首页");
    title->setTextAlignment(platform::TextAlignment::Center);
    title->setTextColor(platform::Color::white());
    title->setFont(platform::Font::systemFont(17));
    _headerView->addSubview(title);
    view()->addSubview(_headerView);
    if (newerSystem) {
        platform::Application::shared().setStatusBarStyle(platform::StatusBarStyle::LightContent);
    }
}
