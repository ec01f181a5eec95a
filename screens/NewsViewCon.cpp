#include "screens/NewsViewCon.h"

#include "service/RequestHelp.h"

NewsViewCon::NewsViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void NewsViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    setBackStyle(3);
    setNavigationTitle("资讯");
}

void NewsViewCon::viewWillAppear(bool animated) {
    BaseViewCon::viewWillAppear(animated);
}

void NewsViewCon::initData() {}
void NewsViewCon::doRefresh() {}
void NewsViewCon::getConnection() {}

std::size_t NewsViewCon::numberOfTab(SlideSwitchView&) {
    return _categoryList.size();
}

std::string NewsViewCon::titleOfIndex(std::size_t index) {
    return index < _categoryList.size()
               ? platform::Json::stringForKey(_categoryList[index], "title").value_or("")
               : std::string();
}

std::shared_ptr<platform::ViewController> NewsViewCon::viewOfTab(SlideSwitchView&, std::size_t) {
    return nullptr;
}

void NewsViewCon::didselectTab(SlideSwitchView&, std::size_t) {}
void NewsViewCon::buildInterface() {}
void NewsViewCon::replied(std::string_view) {}
void NewsViewCon::rebuildTabs() {}
