#pragma once

#include "tests/app_shell/ShellTestSupport.h"

#include "download/FilesDownManage.h"
#include "platform/net/NetworkMonitor.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Window.h"
#include "screens/CourseDetailViewCon.h"
#include "storage/FileManagerUtil.h"

#include <memory>
#include <string>

namespace qelvo::test {

// The launched app on Wi-Fi with a download engine of this test's container, and a way
// to open any screen on the selected tab's stack.
class StudentScreensTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        platform::NetworkMonitor::shared().setOverride(platform::NetworkStatus::WiFi);
    }
    void TearDown() override {
        if (auto engine = FilesDownManage::sharedFilesDownManage()) {
            engine->clearAllRquests();
            engine->cleanLastInfo();
        }
        platform::NetworkMonitor::shared().setOverride(std::nullopt);
        ShellTest::TearDown();
    }

    platform::NavigationController& stack() {
        auto tabs = std::dynamic_pointer_cast<platform::TabBarController>(
            platform::Window::keyWindow()->rootViewController());
        return dynamic_cast<platform::NavigationController&>(*tabs->selectedViewController());
    }

    template <typename Screen>
    std::shared_ptr<Screen> open(std::shared_ptr<Screen> screen) {
        stack().pushViewController(screen, false);
        settle();
        return screen;
    }

    std::shared_ptr<CourseDetailViewCon> openCourse(platform::Value course) {
        auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
        detail->setDetailData(std::move(course));
        return open(detail);
    }

    // A course of the fake service, whose page lives on the same host.
    platform::Value course(const std::string& id, const std::string& title = "增值税入门") {
        return platform::Value{{"id", id},
                               {"title", title},
                               {"url", "http://" + service.host() + "/course.aspx"},
                               {"detailTitle", "课程详情"},
                               {"image", ""},
                               {"info", "summary"}};
    }

    std::shared_ptr<FilesDownManage> engine() { return FilesDownManage::sharedFilesDownManage(); }
};

}  // namespace qelvo::test
