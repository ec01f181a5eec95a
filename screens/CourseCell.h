#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

#include <memory>
#include <string>

// A category row of the course catalogue: the category's picture and its title.
class CourseCell : public platform::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "CourseCell";
    static constexpr const char* kPlaceholder = "home_list_default.png";

    CourseCell();
    // A new cell from its interface description.
    static std::shared_ptr<CourseCell> create();
    std::string className() const override { return "CourseCell"; }

    // Fills the row from a category dictionary: "title" and the picture of "image"
    // (the placeholder until it arrives).
    void setCellData(const platform::Value& category);

    const std::shared_ptr<platform::ImageView>& mainImg() const { return _mainImg; }
    const std::shared_ptr<platform::Label>& nameLabel() const { return _nameLabel; }

private:
    std::shared_ptr<platform::ImageView> _mainImg;
    std::shared_ptr<platform::Label> _nameLabel;
};
