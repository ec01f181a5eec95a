#pragma once

#include "platform/foundation/Json.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Button.h"
#include "platform/ui/TableView.h"
#include "screens/BaseViewCon.h"

#include <memory>
#include <string>

// The user's favourite courses, as stored on the device: opened again from here,
// removed by a swipe or in the edit mode of the title bar's button. It follows the
// favourites file through "CollectionChanged" while it exists.
class FavorViewCon : public BaseViewCon,
                     public platform::TableViewDataSource,
                     public platform::TableViewEditingDataSource,
                     public platform::TableViewDelegate {
public:
    static constexpr const char* kReuseIdentifier = "colCell";
    static constexpr const char* kEmptyText = "您还没有收藏,快去收藏吧!";

    explicit FavorViewCon(std::string nibName = "FavorViewCon");
    std::string className() const override { return "FavorViewCon"; }

    void viewDidLoad() override;
    void back(platform::Control* sender) override;

    void CollectionChanged();
    // Shows the empty-list view when there is no favourite, removes it otherwise.
    void CollectionIsNull();
    void editFavor(platform::Control& sender);

    int numberOfRowsInSection(platform::TableView& tableView, int section) override;
    std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(platform::TableView& tableView,
                                                                   const platform::IndexPath& path) override;
    std::optional<double> heightForRowAtIndexPath(platform::TableView& tableView,
                                                  const platform::IndexPath& path) override;
    void didSelectRowAtIndexPath(platform::TableView& tableView, const platform::IndexPath& path) override;
    void commitEditingStyle(platform::TableView& tableView, platform::CellEditingStyle style,
                            const platform::IndexPath& path) override;

    std::shared_ptr<platform::TableView> favorTableView() const { return _favorTableView; }
    std::shared_ptr<platform::Button> editButton() const { return _editBtn; }
    const platform::Value& favorList() const { return _favorList; }

private:
    void reloadFavorList();

    std::shared_ptr<platform::TableView> _favorTableView;
    platform::Value _favorList = platform::Value::array();
    std::shared_ptr<platform::Button> _editBtn;
    platform::Observation _collectionObservation;
};
