#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/IndexPath.h"
#include "platform/ui/Label.h"
#include "platform/ui/ScrollView.h"
#include "platform/ui/TableViewCell.h"
#include "screens/contentClickedDelegate.h"

#include <cstddef>
#include <memory>
#include <string>

class FlickTabButton;

// A featured section of the home page: its title, the more button with its show-all
// chevron, and a horizontally scrolling row of course tiles.
//
// Each tile's tag is its code, row x 1000 + the course's index, as long as the section
// has fewer than 1000 courses. A longer section would give codes that belong to the
// next rows, so its tiles are tagged with their index alone and the cell, which knows
// its row, reports them through contentImageClickedAt.
class MainPageCell : public platform::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "MainCell";
    static constexpr const char* kPlaceholder = "home_list_default.png";
    static constexpr const char* kShowAllImage = "newsRight.png";
    static constexpr std::size_t kCodeStride = 1000;
    static constexpr double kRowHeight = 140;
    static constexpr double kTileLeft = 10;
    static constexpr double kTileStep = 110;
    static constexpr double kTileSize = 100;
    static constexpr double kMinContentWidth = 320;

    MainPageCell();
    // A new cell from its interface description.
    static std::shared_ptr<MainPageCell> create();
    std::string className() const override { return "MainPageCell"; }

    // Fills the row from its section dictionary; the tiles of the section the cell
    // showed before go, and the row starts again at its first tile.
    void setCellDatta(const platform::Value& section, const std::shared_ptr<contentClickedDelegate>& delegate,
                      const platform::IndexPath& indexPath);
    // The tapped tile: tells the delegate which course it shows.
    void contentClicked(platform::Control& sender);

    const std::shared_ptr<platform::Label>& nameLabel() const { return _nameLabel; }
    const std::shared_ptr<platform::Button>& moreBtn() const { return _moreBtn; }
    const std::shared_ptr<platform::ScrollView>& contentScroll() const { return _contentScroll; }
    const std::shared_ptr<platform::ImageView>& showAllImg() const { return showAllImg_; }
    std::shared_ptr<contentClickedDelegate> delegate() const { return delegate_.lock(); }

    // The tag of tile `index` of a section of `count` courses in `row`.
    static int tileTag(std::size_t row, std::size_t index, std::size_t count);

private:
    std::shared_ptr<platform::Label> _nameLabel;
    std::shared_ptr<platform::Button> _moreBtn;
    std::shared_ptr<platform::ScrollView> _contentScroll;
    std::shared_ptr<platform::ImageView> showAllImg_;
    std::weak_ptr<contentClickedDelegate> delegate_;
    std::size_t row_ = 0;
    bool longSection_ = false;
};
