#include "screens/CourseViewCon.h"

CourseViewCon::CourseViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void CourseViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(3);
    setNavigationTitle("微课程");
}
