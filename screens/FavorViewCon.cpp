#include "screens/FavorViewCon.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SharedSelf.h"
#include "platform/ui/Application.h"
#include "platform/ui/NavigationController.h"
#include "screens/CourseDetailViewCon.h"
#include "screens/CourseImgCell.h"
#include "storage/FileManagerUtil.h"

#include <fmt/format.h>

namespace {

constexpr const char* kEditTitle = "编辑";
constexpr const char* kDoneTitle = "完成";

}  // namespace

FavorViewCon::FavorViewCon(std::string nibName) : BaseViewCon(std::move(nibName)) {}

void FavorViewCon::viewDidLoad() {
    BaseViewCon::viewDidLoad();
    auto self = platform::sharedSelf(this);

    // The interface description: the list below the title bar.
    double top = navBarHeight();
    platform::Rect bounds = view()->bounds();
    _favorTableView = platform::View::create<platform::TableView>(
        platform::Rect::make(0, top, bounds.width(), bounds.height() - top));
    _favorTableView->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    _favorTableView->setDataSource(std::static_pointer_cast<platform::TableViewDataSource>(self));
    _favorTableView->setDelegate(std::static_pointer_cast<platform::TableViewDelegate>(self));
    view()->addSubview(_favorTableView);

    bool newSystem = platform::Application::shared().systemVersionNumber() >= 7;
    _editBtn = platform::View::create<platform::Button>(platform::Rect::make(270, newSystem ? 32 : 12, 40, 20));
    _editBtn->setTitle(kEditTitle, platform::ControlStateNormal);
    _editBtn->setTitleColor(platform::Color::white(), platform::ControlStateNormal);
    _editBtn->titleLabel()->setFont(platform::Font::systemFont(15));
    _editBtn->addTarget(self, &FavorViewCon::editFavor, platform::TouchUpInside);
    baseNavView->addSubview(_editBtn);

    std::weak_ptr<FavorViewCon> weak = self;
    _collectionObservation = platform::NotificationCenter::defaultCenter().addObserver(
        CourseDetailViewCon::kCollectionChangedNotification, [weak](const platform::Notification&) {
            if (auto screen = weak.lock()) {
                screen->CollectionChanged();
            }
        });
    setBackStyle(kBackStyleBack);
    setNavigationTitle("课程收藏");
    reloadFavorList();
    _favorTableView->reloadData();
    CollectionIsNull();
    platform::log(fmt::format("_favorlist is; {}", _favorList.size()));
}

void FavorViewCon::reloadFavorList() {
    std::optional<platform::Value> stored = FileManagerUtil::getColltionArray();
    _favorList = stored && stored->is_array() ? std::move(*stored) : platform::Value::array();
}

void FavorViewCon::CollectionChanged() {
    reloadFavorList();
    _favorTableView->reloadData();
    CollectionIsNull();
}

void FavorViewCon::CollectionIsNull() {
    std::shared_ptr<platform::View> empty = view()->viewWithTag(kNullDataViewTag);
    if (_favorList.empty()) {
        if (empty) {
            view()->bringSubviewToFront(*empty);
            return;
        }
        double top = navBarHeight();
        view()->addSubview(setUpNullDataView(
            platform::Rect::make(0, top, kNavBarWidth, view()->bounds().height() - top), kEmptyText));
    } else if (empty) {
        empty->removeFromSuperview();
    }
}

void FavorViewCon::editFavor(platform::Control&) {
    if (_editBtn->titleForState(platform::ControlStateNormal) == kEditTitle) {
        _editBtn->setTitle(kDoneTitle, platform::ControlStateNormal);
        _favorTableView->setEditing(true, false);
    } else {
        _editBtn->setTitle(kEditTitle, platform::ControlStateNormal);
        _favorTableView->setEditing(false, false);
    }
}

int FavorViewCon::numberOfRowsInSection(platform::TableView&, int) {
    return static_cast<int>(_favorList.size());
}

std::optional<double> FavorViewCon::heightForRowAtIndexPath(platform::TableView&, const platform::IndexPath&) {
    return CourseImgCell::kRowHeight;
}

std::shared_ptr<platform::TableViewCell> FavorViewCon::cellForRowAtIndexPath(platform::TableView& tableView,
                                                                             const platform::IndexPath& path) {
    auto cell = std::dynamic_pointer_cast<CourseImgCell>(tableView.dequeueReusableCellWithIdentifier(kReuseIdentifier));
    if (!cell) {
        cell = CourseImgCell::create();
        cell->setReuseIdentifier(kReuseIdentifier);
    }
    cell->setSelectionStyle(platform::CellSelectionStyle::None);
    auto row = static_cast<std::size_t>(path.row);
    if (row < _favorList.size()) {
        cell->setCellData(_favorList[row]);
    }
    return cell;
}

void FavorViewCon::didSelectRowAtIndexPath(platform::TableView&, const platform::IndexPath& path) {
    auto row = static_cast<std::size_t>(path.row);
    if (row >= _favorList.size()) {
        return;
    }
    auto detail = std::make_shared<CourseDetailViewCon>("CourseDetailViewCon");
    detail->setDetailData(_favorList[row]);
    if (auto* stack = navigationController()) {
        stack->pushViewController(detail, true);
    }
}

void FavorViewCon::commitEditingStyle(platform::TableView& tableView, platform::CellEditingStyle style,
                                      const platform::IndexPath& path) {
    auto row = static_cast<std::size_t>(path.row);
    if (style != platform::CellEditingStyle::Delete || row >= _favorList.size()) {
        return;
    }
    // The row goes whatever the store reports; a removal that could not be written
    // shows again the next time the list is read from the file.
    FileManagerUtil::removeCollectItem(_favorList[row]);
    _favorList.erase(_favorList.begin() + static_cast<std::ptrdiff_t>(row));
    tableView.reloadData();
    CollectionIsNull();
}

void FavorViewCon::back(platform::Control*) {
    if (auto* stack = navigationController()) {
        stack->popViewControllerAnimated(true);
    }
}
