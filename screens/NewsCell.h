#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

#include <memory>
#include <string>

// One article of a news channel: its title on the first line, its summary below.
class NewsCell : public platform::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "NewsCell";
    static constexpr double kRowHeight = 80;

    NewsCell();
    // A new cell from its interface description.
    static std::shared_ptr<NewsCell> create();
    std::string className() const override { return "NewsCell"; }

    // "title" on the first line; "info" below when it is a string, else nothing.
    void setCellData(const platform::Value& article);

    const std::shared_ptr<platform::Label>& nameLabel() const { return _nameLabel; }
    const std::shared_ptr<platform::Label>& introLabel() const { return _introLabel; }

private:
    std::shared_ptr<platform::Label> _nameLabel;
    std::shared_ptr<platform::Label> _introLabel;
};
