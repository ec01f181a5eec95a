#include "screens/CourseDetailViewCon.h"

#include "platform/ui/NavigationController.h"

CourseDetailViewCon::CourseDetailViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void CourseDetailViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setNavigationTitle(platform::Json::stringForKey(_detailData, "detailTitle").value_or(""));
}

void CourseDetailViewCon::back(platform::Control* /*sender*/) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}
