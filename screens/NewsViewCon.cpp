#include "screens/NewsViewCon.h"

NewsViewCon::NewsViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void NewsViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(3);
    setNavigationTitle("资讯");
}
