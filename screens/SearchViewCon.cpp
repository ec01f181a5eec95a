#include "screens/SearchViewCon.h"

SearchViewCon::SearchViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void SearchViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(3);
    setNavigationTitle("找课程");
}
