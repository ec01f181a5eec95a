#include "platform/ui/TableViewCell.h"

#include "platform/foundation/Json.h"
#include "platform/ui/Control.h"

#include <algorithm>

namespace platform {
namespace {

constexpr double kMargin = 15;
constexpr double kAccessoryViewPadding = 10;
constexpr double kEditingControlSize = 22;
const Color kDeleteRed = Color::rgb255(255, 59, 48);
const Color kDetailGray = Color::white(0.56);

const char* accessoryName(CellAccessoryType type) {
    switch (type) {
        case CellAccessoryType::DisclosureIndicator: return "disclosure";
        case CellAccessoryType::DetailDisclosureButton: return "detailDisclosure";
        case CellAccessoryType::Checkmark: return "checkmark";
        case CellAccessoryType::None: break;
    }
    return "";
}

const char* styleName(CellStyle style) {
    switch (style) {
        case CellStyle::Value1: return "value1";
        case CellStyle::Value2: return "value2";
        case CellStyle::Subtitle: return "subtitle";
        case CellStyle::Default: break;
    }
    return "default";
}

const char* selectionStyleName(CellSelectionStyle style) {
    switch (style) {
        case CellSelectionStyle::None: return "none";
        case CellSelectionStyle::Gray: return "gray";
        case CellSelectionStyle::Blue: break;
    }
    return "blue";
}

Color selectionColor(CellSelectionStyle style) {
    return style == CellSelectionStyle::Gray ? Color::white(0.85) : Color::rgb255(0, 122, 255);
}

// Labels and pictures of the content show their highlighted look with the row's.
void highlightContent(View& view, bool highlighted) {
    for (const auto& child : view.subviews()) {
        if (dynamic_cast<Control*>(child.get())) {
            continue;
        }
        if (auto* label = dynamic_cast<Label*>(child.get())) {
            label->setHighlighted(highlighted);
        } else if (auto* image = dynamic_cast<ImageView*>(child.get())) {
            image->setHighlighted(highlighted);
        }
        highlightContent(*child, highlighted);
    }
}

void collectTexts(const View& view, std::string& text) {
    for (const auto& child : view.subviews()) {
        if (child->isHidden() || child->alpha() < 0.01 || dynamic_cast<const Control*>(child.get())) {
            continue;
        }
        if (const auto* label = dynamic_cast<const Label*>(child.get()); label && !label->text().empty()) {
            if (!text.empty()) {
                text += "\n";
            }
            text += label->text();
        }
        collectTexts(*child, text);
    }
}

std::shared_ptr<Label> makeLabel(Font font, Color color) {
    auto label = View::create<Label>();
    label->setFont(font);
    label->setTextColor(color);
    label->setBackgroundColor(Color::clear());
    return label;
}

}  // namespace

TableViewCell::TableViewCell(CellStyle style, std::string reuseIdentifier)
    : View(Rect::make(0, 0, 320, kDefaultHeight)),
      style_(style),
      reuseIdentifier_(std::move(reuseIdentifier)),
      contentView_(View::create<View>()) {
    setBackgroundColor(Color::white());
    contentView_->setFrame(bounds());
    addSubview(contentView_);
}

std::shared_ptr<Label> TableViewCell::textLabel() {
    if (!textLabel_) {
        Font font = style_ == CellStyle::Value2 ? Font::boldSystemFont(12) : Font::systemFont(17);
        Color color = style_ == CellStyle::Value2 ? Color::rgb255(0, 122, 255) : Color::black();
        textLabel_ = makeLabel(font, color);
        if (style_ == CellStyle::Value2) {
            textLabel_->setTextAlignment(TextAlignment::Right);
        }
        contentView_->addSubview(textLabel_);
        layoutParts();
    }
    return textLabel_;
}

std::shared_ptr<Label> TableViewCell::detailTextLabel() {
    if (style_ == CellStyle::Default) {
        return nullptr;
    }
    if (!detailTextLabel_) {
        switch (style_) {
            case CellStyle::Subtitle:
                detailTextLabel_ = makeLabel(Font::systemFont(12), Color::black());
                break;
            case CellStyle::Value1:
                detailTextLabel_ = makeLabel(Font::systemFont(17), kDetailGray);
                detailTextLabel_->setTextAlignment(TextAlignment::Right);
                break;
            default: detailTextLabel_ = makeLabel(Font::systemFont(15), Color::black()); break;
        }
        contentView_->addSubview(detailTextLabel_);
        layoutParts();
    }
    return detailTextLabel_;
}

std::shared_ptr<ImageView> TableViewCell::imageView() {
    if (!imageView_) {
        imageView_ = View::create<ImageView>();
        contentView_->insertSubview(imageView_, 0);
        layoutParts();
    }
    return imageView_;
}

void TableViewCell::setAccessoryType(CellAccessoryType type) {
    accessoryType_ = type;
    layoutParts();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view) {
    if (accessoryView_) {
        accessoryView_->removeFromSuperview();
    }
    accessoryView_ = std::move(view);
    if (accessoryView_) {
        addSubview(accessoryView_);
    }
    layoutParts();
}

void TableViewCell::setSelectionStyle(CellSelectionStyle style) {
    selectionStyle_ = style;
    refreshSelectionLook();
}

void TableViewCell::setBackgroundView(std::shared_ptr<View> view) {
    if (backgroundView_) {
        backgroundView_->removeFromSuperview();
    }
    backgroundView_ = std::move(view);
    if (backgroundView_) {
        insertSubview(backgroundView_, 0);
        backgroundView_->setFrame(bounds());
    }
}

std::shared_ptr<View> TableViewCell::selectedBackgroundView() {
    if (!selectedBackgroundView_) {
        selectedBackgroundView_ = View::create<View>(bounds());
        selectedBackgroundView_->setBackgroundColor(selectionColor(selectionStyle_));
    }
    return selectedBackgroundView_;
}

void TableViewCell::setSelectedBackgroundView(std::shared_ptr<View> view) {
    if (selectedBackgroundView_) {
        selectedBackgroundView_->removeFromSuperview();
    }
    selectedBackgroundView_ = std::move(view);
    refreshSelectionLook();
}

void TableViewCell::setSelected(bool selected, bool /*animated*/) {
    selected_ = selected;
    refreshSelectionLook();
}

void TableViewCell::setHighlighted(bool highlighted, bool /*animated*/) {
    highlighted_ = highlighted;
    refreshSelectionLook();
}

void TableViewCell::refreshSelectionLook() {
    bool shows = (selected_ || highlighted_) && selectionStyle_ != CellSelectionStyle::None;
    if (shows) {
        auto view = selectedBackgroundView();
        view->setFrame(bounds());
        if (backgroundView_ && backgroundView_->superview() == this) {
            insertSubviewAbove(view, *backgroundView_);
        } else {
            insertSubview(view, 0);
        }
    } else if (selectedBackgroundView_) {
        selectedBackgroundView_->removeFromSuperview();
    }
    highlightContent(*contentView_, shows);
}

void TableViewCell::setEditing(bool editing, bool /*animated*/) {
    editing_ = editing;
    if (!editing) {
        hideDeleteConfirmation();
    }
    refreshEditingControl();
    layoutParts();
}

void TableViewCell::setEditingStyle(CellEditingStyle style) {
    editingStyle_ = style;
    refreshEditingControl();
    layoutParts();
}

void TableViewCell::refreshEditingControl() {
    bool shows = editing_ && editingStyle_ == CellEditingStyle::Delete;
    if (shows && !editingControl_) {
        editingControl_ = View::create<Button>();
        editingControl_->setTitle(std::string("−"), ControlStateNormal);
        editingControl_->setBackgroundColor(kDeleteRed);
        editingControl_->setCornerRadius(kEditingControlSize / 2);
        addSubview(editingControl_);
    } else if (!shows && editingControl_) {
        editingControl_->removeFromSuperview();
        editingControl_.reset();
    }
}

void TableViewCell::showDeleteConfirmation(const std::string& title) {
    if (!deleteButton_) {
        deleteButton_ = View::create<Button>();
        deleteButton_->setBackgroundColor(kDeleteRed);
    }
    deleteButton_->setTitle(title, ControlStateNormal);
    addSubview(deleteButton_);
    layoutParts();
}

void TableViewCell::hideDeleteConfirmation() {
    if (deleteButton_) {
        deleteButton_->removeFromSuperview();
        deleteButton_.reset();
    }
}

double TableViewCell::accessoryWidth() const {
    if (editing_) {
        return 0;
    }
    if (accessoryView_) {
        return accessoryView_->frame().width() + 2 * kAccessoryViewPadding;
    }
    switch (accessoryType_) {
        case CellAccessoryType::DisclosureIndicator: return 33;
        case CellAccessoryType::Checkmark: return 39;
        case CellAccessoryType::DetailDisclosureButton: return 53;
        case CellAccessoryType::None: break;
    }
    return 0;
}

void TableViewCell::setFrame(Rect frame) {
    Size old = this->frame().size;
    View::setFrame(frame);
    if (old != frame.size) {
        layoutParts();
    }
}

void TableViewCell::layoutSubviews() {
    layoutParts();
}

void TableViewCell::layoutParts() {
    double width = frame().width();
    double height = frame().height();
    double left = editingControl_ ? kEditingControlWidth : 0;
    double right = accessoryWidth();
    contentView_->setFrame(Rect::make(left, 0, std::max(0.0, width - left - right), height));
    if (backgroundView_) {
        backgroundView_->setFrame(bounds());
    }
    if (selectedBackgroundView_) {
        selectedBackgroundView_->setFrame(bounds());
    }
    if (accessoryView_) {
        Size size = accessoryView_->frame().size;
        accessoryView_->setFrame(Rect::make(width - kAccessoryViewPadding - size.width,
                                            (height - size.height) / 2, size.width, size.height));
        accessoryView_->setHidden(editing_);
    }
    if (editingControl_) {
        editingControl_->setFrame(Rect::make((kEditingControlWidth - kEditingControlSize) / 2,
                                             (height - kEditingControlSize) / 2, kEditingControlSize,
                                             kEditingControlSize));
    }
    if (deleteButton_) {
        Font font = deleteButton_->titleLabel()->font();
        double buttonWidth =
            std::max(kDeleteButtonMinWidth, font.widthOfText(deleteButton_->currentTitle()) + 30);
        deleteButton_->setFrame(Rect::make(width - buttonWidth, 0, buttonWidth, height));
        // Nothing of the row may cover the button.
        bringSubviewToFront(*deleteButton_);
    }
    layoutBuiltInViews(contentView_->frame().width(), height);
}

void TableViewCell::layoutBuiltInViews(double width, double height) {
    double x = kMargin;
    if (imageView_) {
        Size size = imageView_->image() ? imageView_->image()->size() : Size{};
        size.width = std::min(size.width, height);
        size.height = std::min(size.height, height);
        imageView_->setFrame(Rect::make(kMargin, (height - size.height) / 2, size.width, size.height));
        if (size.width > 0) {
            x += size.width + kMargin;
        }
    }
    double available = std::max(0.0, width - x - kMargin);
    switch (style_) {
        case CellStyle::Subtitle: {
            double textHeight = textLabel_ ? textLabel_->font().lineHeight() : 0;
            double detailHeight = detailTextLabel_ ? detailTextLabel_->font().lineHeight() : 0;
            double top = (height - textHeight - detailHeight) / 2;
            if (textLabel_) {
                textLabel_->setFrame(Rect::make(x, top, available, textHeight));
            }
            if (detailTextLabel_) {
                detailTextLabel_->setFrame(Rect::make(x, top + textHeight, available, detailHeight));
            }
            break;
        }
        case CellStyle::Value2: {
            constexpr double kTitleWidth = 67;
            constexpr double kGap = 6;
            if (textLabel_) {
                textLabel_->setFrame(Rect::make(kMargin, 0, kTitleWidth, height));
            }
            if (detailTextLabel_) {
                double detailX = kMargin + kTitleWidth + kGap;
                detailTextLabel_->setFrame(
                    Rect::make(detailX, 0, std::max(0.0, width - detailX - kMargin), height));
            }
            break;
        }
        case CellStyle::Default:
        case CellStyle::Value1:
            if (textLabel_) {
                textLabel_->setFrame(Rect::make(x, 0, available, height));
            }
            if (detailTextLabel_) {
                detailTextLabel_->setFrame(Rect::make(x, 0, available, height));
            }
            break;
    }
}

std::string TableViewCell::visibleText() const {
    std::string text;
    collectTexts(*this, text);
    return text;
}

Value TableViewCell::screenEntry() const {
    Value entry{{"kind", "cell"}, {"text", visibleText()}};
    if (accessoryType_ != CellAccessoryType::None) {
        entry["accessory"] = accessoryName(accessoryType_);
    }
    if (indexPath_) {
        entry["section"] = indexPath_->section;
        entry["row"] = indexPath_->row;
    }
    if (selected_) {
        entry["selected"] = true;
    }
    return entry;
}

void TableViewCell::describe(Value& node) const {
    View::describe(node);
    node["style"] = styleName(style_);
    if (!reuseIdentifier_.empty()) {
        node["reuseIdentifier"] = reuseIdentifier_;
    }
    if (accessoryType_ != CellAccessoryType::None && !accessoryView_) {
        node["accessory"] = accessoryName(accessoryType_);
    }
    node["selectionStyle"] = selectionStyleName(selectionStyle_);
    if (selected_) {
        node["selected"] = true;
    }
    if (highlighted_) {
        node["highlighted"] = true;
    }
    if (editing_) {
        node["editing"] = true;
    }
    if (indexPath_) {
        node["indexPath"] = {indexPath_->section, indexPath_->row};
    }
}

}  // namespace platform
