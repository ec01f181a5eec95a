#pragma once

#include "screens/BaseViewCon.h"

#include <string>

// The tab root for the news by channel: a title bar without a back arrow.
class NewsViewCon : public BaseViewCon {
public:
    explicit NewsViewCon(std::string nibName = "NewsViewCon");
    std::string className() const override { return "NewsViewCon"; }

    void viewDidLoad() override;
};
