#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/IndexPath.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>
#include <string>

namespace platform {

enum class CellStyle { Default, Value1, Value2, Subtitle };
enum class CellAccessoryType { None, DisclosureIndicator, DetailDisclosureButton, Checkmark };
enum class CellSelectionStyle { None, Blue, Gray };
// The values are the platform's: the delete style is 1.
enum class CellEditingStyle { None = 0, Delete = 1, Insert = 2 };

// One row of a table. Its own views go into contentView, which leaves room for the
// accessory at the right and, while editing, for the delete control at the left.
// App cells subclass it and report their own class name.
class TableViewCell : public View {
public:
    static constexpr double kDefaultHeight = 44;
    static constexpr double kEditingControlWidth = 38;
    static constexpr double kDeleteButtonMinWidth = 64;
    // The text of the delete confirmation when the table's delegate names none.
    static constexpr const char* kDeleteTitle = "删除";

    explicit TableViewCell(CellStyle style = CellStyle::Default, std::string reuseIdentifier = {});
    std::string className() const override { return "TableViewCell"; }

    CellStyle style() const { return style_; }
    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    // Cells made from an interface description get their identifier from it.
    void setReuseIdentifier(std::string identifier) { reuseIdentifier_ = std::move(identifier); }

    const std::shared_ptr<View>& contentView() const { return contentView_; }
    // The built-in parts, made on first use inside contentView. The default style has
    // no detail label (nullptr).
    std::shared_ptr<Label> textLabel();
    std::shared_ptr<Label> detailTextLabel();
    std::shared_ptr<ImageView> imageView();

    CellAccessoryType accessoryType() const { return accessoryType_; }
    void setAccessoryType(CellAccessoryType type);
    const std::shared_ptr<View>& accessoryView() const { return accessoryView_; }
    // A view of the app's in place of the accessory type.
    void setAccessoryView(std::shared_ptr<View> view);

    CellSelectionStyle selectionStyle() const { return selectionStyle_; }
    void setSelectionStyle(CellSelectionStyle style);
    const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
    void setBackgroundView(std::shared_ptr<View> view);
    // Shown while the cell is selected or highlighted; a plain coloured view in the
    // selection style's colour when the app sets none.
    std::shared_ptr<View> selectedBackgroundView();
    void setSelectedBackgroundView(std::shared_ptr<View> view);

    bool isSelected() const { return selected_; }
    virtual void setSelected(bool selected, bool animated = false);
    bool isHighlighted() const { return highlighted_; }
    virtual void setHighlighted(bool highlighted, bool animated = false);
    bool isEditing() const { return editing_; }
    virtual void setEditing(bool editing, bool animated = false);
    // What the table allows for this row while editing (decides the delete control).
    CellEditingStyle editingStyle() const { return editingStyle_; }
    bool showingDeleteConfirmation() const { return static_cast<bool>(deleteButton_); }
    // The delete confirmation button while it shows, else nullptr.
    const std::shared_ptr<Button>& deleteConfirmationButton() const { return deleteButton_; }
    // The red delete control at the left while editing, else nullptr.
    const std::shared_ptr<Button>& editingControl() const { return editingControl_; }

    // The row this cell shows while it is visible in a table.
    std::optional<IndexPath> indexPathInTable() const { return indexPath_; }

    // Called when the table takes the cell off screen for reuse; selection, highlight
    // and the delete confirmation have been reset already.
    virtual void prepareForReuse() {}

    // The texts of the visible labels of the cell (not those inside controls), in
    // tree order, one per line.
    std::string visibleText() const;

    void setFrame(Rect frame) override;
    void layoutSubviews() override;
    Value screenEntry() const override;
    void describe(Value& node) const override;

private:
    friend class TableView;
    void setIndexPathInTable(std::optional<IndexPath> path) { indexPath_ = path; }
    void setEditingStyle(CellEditingStyle style);
    void showDeleteConfirmation(const std::string& title);
    void hideDeleteConfirmation();
    void layoutParts();
    void layoutBuiltInViews(double width, double height);
    void refreshSelectionLook();
    void refreshEditingControl();
    double accessoryWidth() const;

    CellStyle style_;
    std::string reuseIdentifier_;
    std::shared_ptr<View> contentView_;
    std::shared_ptr<Label> textLabel_;
    std::shared_ptr<Label> detailTextLabel_;
    std::shared_ptr<ImageView> imageView_;
    CellAccessoryType accessoryType_ = CellAccessoryType::None;
    std::shared_ptr<View> accessoryView_;
    CellSelectionStyle selectionStyle_ = CellSelectionStyle::Blue;
    std::shared_ptr<View> backgroundView_;
    std::shared_ptr<View> selectedBackgroundView_;
    bool selected_ = false;
    bool highlighted_ = false;
    bool editing_ = false;
    CellEditingStyle editingStyle_ = CellEditingStyle::Delete;
    std::shared_ptr<Button> deleteButton_;
    std::shared_ptr<Button> editingControl_;
    std::optional<IndexPath> indexPath_;
};

}  // namespace platform
