#pragma once

#include "platform/ui/IndexPath.h"
#include "platform/ui/TableViewCell.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

class TableView;

// Where a table gets its rows. The first two operations are required; the others
// have the platform's defaults.
class TableViewDataSource {
public:
    virtual ~TableViewDataSource() = default;

    virtual int numberOfRowsInSection(TableView& tableView, int section) = 0;
    // The cell for a row that comes into view: a dequeued one, filled again, or a new one.
    virtual std::shared_ptr<TableViewCell> cellForRowAtIndexPath(TableView& tableView,
                                                                 const IndexPath& path) = 0;

    virtual int numberOfSectionsInTableView(TableView& /*tableView*/) { return 1; }
    virtual std::optional<std::string> titleForHeaderInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    virtual std::optional<std::string> titleForFooterInSection(TableView& /*tableView*/, int /*section*/) {
        return std::nullopt;
    }
    virtual bool canEditRowAtIndexPath(TableView& /*tableView*/, const IndexPath& /*path*/) { return true; }
};

// A data source that deletes rows: implementing commitEditingStyle is what lets the
// table offer swipe-to-delete and the delete controls of its editing mode. It is an
// interface of its own so that the table can tell whether the operation is there;
// a data source that deletes rows derives from both.
class TableViewEditingDataSource {
public:
    virtual ~TableViewEditingDataSource() = default;

    virtual void commitEditingStyle(TableView& tableView, CellEditingStyle style, const IndexPath& path) = 0;
};

}  // namespace platform
