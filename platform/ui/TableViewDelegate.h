#pragma once

#include "platform/ui/IndexPath.h"
#include "platform/ui/ScrollViewDelegate.h"
#include "platform/ui/TableViewCell.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

class TableView;
class View;

// What a table asks and tells about its rows beyond their content; it also hears the
// table's scrolling. Every operation is optional. The ones that answer an optional
// value answer nothing by default: the table then uses its own settings (rowHeight,
// sectionHeaderHeight, the "删除" title).
class TableViewDelegate : public ScrollViewDelegate {
public:
    virtual std::optional<double> heightForRowAtIndexPath(TableView& /*tableView*/,
                                                          const IndexPath& /*path*/) {
        return std::nullopt;
    }
    virtual std::optional<double> heightForHeaderInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    virtual std::optional<double> heightForFooterInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    virtual std::shared_ptr<View> viewForHeaderInSection(TableView& /*tableView*/, int /*section*/) {
        return nullptr;
    }
    virtual std::shared_ptr<View> viewForFooterInSection(TableView& /*tableView*/, int /*section*/) {
        return nullptr;
    }
    virtual void willDisplayCell(TableView& /*tableView*/, TableViewCell& /*cell*/,
                                 const IndexPath& /*path*/) {}

    // The row to select instead of the tapped one, or nothing to select none.
    virtual std::optional<IndexPath> willSelectRowAtIndexPath(TableView& /*tableView*/,
                                                              const IndexPath& path) {
        return path;
    }
    virtual void didSelectRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*path*/) {}
    virtual void didDeselectRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*path*/) {}

    virtual CellEditingStyle editingStyleForRowAtIndexPath(TableView& /*tableView*/,
                                                           const IndexPath& /*path*/) {
        return CellEditingStyle::Delete;
    }
    virtual std::optional<std::string> titleForDeleteConfirmationButtonForRowAtIndexPath(
        TableView& /*tableView*/, const IndexPath& /*path*/) {
        return std::nullopt;
    }
};

}  // namespace platform
