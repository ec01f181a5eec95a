#pragma once

#include <string>
#include <vector>

namespace qelvo::demo {

// Plain records of the service's content, as read from the JSON files of the data folder.
// Picture names are relative to "/pics/".

struct Course {
    std::string id;
    std::string categoryId;
    std::string title;
    std::string info;
    std::string teacher;
    std::string duration;
    std::string video;  // file name below "/videos/"
};

struct CourseCategory {
    std::string id;
    std::string title;
    std::string info;
    std::vector<std::string> courseIds;  // in catalogue order
};

struct NewsArticle {
    std::string id;
    std::string channelId;
    std::string title;
    std::string info;
    std::string date;
    std::string source;
    std::vector<std::string> body;  // paragraphs
};

struct Headline {
    std::string articleId;
    std::string image;
};

struct NewsChannel {
    std::string id;
    std::string title;
    std::string closing;  // closing paragraph shown under every article of the channel
    std::vector<std::string> articleIds;
    std::vector<Headline> head;
};

struct Advert {
    std::string id;
    std::string title;
    std::string detailTitle;
    std::string image;
    std::string info;
    std::vector<std::string> body;
};

struct HomeSection {
    std::string categoryId;
    std::size_t shown = 0;
};

struct SuggestedKey {
    std::string title;
    std::string type;      // "1": a search category; anything else: a course
    std::string targetId;  // the category id ("1") or the course id (others)
};

struct Account {
    std::string userName;
    std::string password;
    std::string userId;
    std::string nickName;
    bool locked = false;
};

}  // namespace qelvo::demo
