#pragma once

#include "platform/ui/Label.h"
#include "platform/ui/TableViewCell.h"

#include <memory>
#include <string>

// A plain menu row of the student centre: one title.
class MoreCell : public platform::TableViewCell {
public:
    static constexpr const char* kReuseIdentifier = "cell";

    MoreCell();
    // A new cell from its interface description.
    static std::shared_ptr<MoreCell> create();
    std::string className() const override { return "MoreCell"; }

    const std::shared_ptr<platform::Label>& nameLabel() const { return _nameLabel; }

private:
    std::shared_ptr<platform::Label> _nameLabel;
};
