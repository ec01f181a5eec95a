#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

#include <memory>
#include <string>

// A course row: the course picture at the left, its title and, below it, its summary.
// The course lists of a category, the search results and the favourites show it.
class CourseImgCell : public platform::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "CourseImgCell";
    static constexpr const char* kPlaceholder = "home_list_default.png";
    static constexpr double kRowHeight = 85;

    CourseImgCell();
    // A new cell from its interface description.
    static std::shared_ptr<CourseImgCell> create();
    std::string className() const override { return "CourseImgCell"; }

    // Fills the row from a course dictionary: "title", the picture of "image" (the
    // placeholder until it arrives) and "info" (empty when it is not text).
    void setCellData(const platform::Value& course);

    const std::shared_ptr<platform::ImageView>& mainImg() const { return _mainImg; }
    const std::shared_ptr<platform::Label>& nameLabel() const { return _nameLabel; }
    const std::shared_ptr<platform::Label>& introLabel() const { return _introLabel; }

    // Keeps the row transparent over the list, its background at the corner, and the
    // swipe-to-delete button in front of the row's own views.
    void layoutSubviews() override;

private:
    std::shared_ptr<platform::ImageView> _mainImg;
    std::shared_ptr<platform::Label> _nameLabel;
    std::shared_ptr<platform::Label> _introLabel;
};
