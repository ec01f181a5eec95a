#include "screens/BaseViewCon.h"

#include "components/BrandColor.h"
#include "platform/foundation/Log.h"
#include "platform/image/Image.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Application.h"
#include "platform/ui/Control.h"
#include "platform/ui/Font.h"
#include "platform/ui/TapGestureRecognizer.h"

using platform::Color;
using platform::Font;
using platform::ImageView;
using platform::Label;
using platform::Rect;
using platform::TextAlignment;
using platform::View;

namespace {

const Color kStateViewColor = Color::rgb255(248, 248, 248);

bool isVersion7OrLater() {
    return platform::Application::shared().systemVersionNumber() >= 7.0;
}

std::shared_ptr<Label> makeLabel(Rect frame, std::string text, Font font, Color color,
                                 TextAlignment alignment) {
    auto label = View::create<Label>(frame);
    label->setBackgroundColor(Color::clear());
    label->setText(std::move(text));
    label->setFont(font);
    label->setTextColor(color);
    label->setTextAlignment(alignment);
    return label;
}

// The first view below `root` (not `root` itself) with the tag.
std::shared_ptr<View> descendantWithTag(View& root, int tag) {
    for (const auto& child : root.subviews()) {
        if (auto found = child->viewWithTag(tag)) {
            return found;
        }
    }
    return nullptr;
}

}  // namespace

BaseViewCon::BaseViewCon(std::string nibName) : ViewController(std::move(nibName)) {}

double BaseViewCon::navBarHeight() {
    return isVersion7OrLater() ? kNavBarHeight : kOldNavBarHeight;
}

void BaseViewCon::viewDidLoad() {
    ViewController::viewDidLoad();
    initNavView();
    if (isVersion7OrLater()) {
        setModalPresentationCapturesStatusBarAppearance(false);
        setExtendedLayoutIncludesOpaqueBars(false);
        setEdgesForExtendedLayout(kRectEdgeNone);
        setAutomaticallyAdjustsScrollViewInsets(false);
        platform::Application::shared().setStatusBarStyle(platform::StatusBarStyle::LightContent);
    }
    setBackStyle(navFrameStyle_);
}

void BaseViewCon::viewDidUnload() {
    ViewController::viewDidUnload();
    platform::log("base viewDidUnload");
}

void BaseViewCon::didReceiveMemoryWarning() {
    ViewController::didReceiveMemoryWarning();
    platform::log("base view didReceiveMemoryWarning");
}

void BaseViewCon::initNavView() {
    bool newer = isVersion7OrLater();
    double top = newer ? kNavItemTop : kOldNavItemTop;

    baseNavView = View::create<View>(Rect::make(0, 0, kNavBarWidth, navBarHeight()));
    baseNavView->setBackgroundColor(brandColor());

    baseNavBjImg = View::create<ImageView>(baseNavView->bounds());
    baseNavView->addSubview(baseNavBjImg);

    baseNavCloseImg = View::create<ImageView>(Rect::make(10, top, 30, 30));
    baseNavCloseImg->setBackgroundColor(Color::clear());
    baseNavView->addSubview(baseNavCloseImg);

    baseNavBackView = View::create<View>(Rect::make(5, top, 60, 30));
    baseNavBackView->setBackgroundColor(Color::clear());
    baseNavBackImg = View::create<ImageView>(Rect::make(1, 4, 13, 22), platform::Image::named("back.png"));
    baseNavBackView->addSubview(baseNavBackImg);
    baseNavBackLab = makeLabel(Rect::make(20, 4, 42, 21), "返回", Font::boldSystemFont(14), Color::white(),
                               TextAlignment::Left);
    baseNavBackView->addSubview(baseNavBackLab);
    baseNavView->addSubview(baseNavBackView);

    baseNavTitleLab = makeLabel(Rect::make(70, top, 180, 30), navigationTitle_, Font::systemFont(17),
                                Color::white(), TextAlignment::Center);
    baseNavView->addSubview(baseNavTitleLab);

    // In front of the arrow, so a tap anywhere at the top left goes back, whatever
    // parts of the bar the style shows.
    baseNavBackButton =
        View::create<platform::Button>(Rect::make(2, newer ? kBackButtonTop : kOldBackButtonTop, 60, 44));
    baseNavBackButton->setBackgroundColor(Color::clear());
    std::weak_ptr<ViewController> weak = weak_from_this();
    baseNavBackButton->addAction(
        [weak](platform::Control& sender) {
            if (auto screen = weak.lock()) {
                static_cast<BaseViewCon&>(*screen).back(&sender);
            }
        },
        platform::TouchUpInside, this);
    baseNavView->addSubview(baseNavBackButton);

    view()->addSubview(baseNavView);
}

void BaseViewCon::setBackStyle(int style) {
    navFrameStyle_ = style;
    if (!baseNavView) {
        return;  // applied when the view loads
    }
    if (style == kBackStyleNoBar) {
        baseNavView->setHidden(true);
        return;
    }
    baseNavView->setHidden(false);
    baseNavBackView->setHidden(style != kBackStyleBack);
    baseNavCloseImg->setHidden(style != kBackStyleClose);
}

void BaseViewCon::setNavigationTitle(std::string title) {
    navigationTitle_ = std::move(title);
    if (baseNavTitleLab) {
        baseNavTitleLab->setText(navigationTitle_);
    }
}

std::shared_ptr<platform::Control> BaseViewCon::backControl() const {
    if (!baseNavView || baseNavView->isHidden()) {
        return nullptr;
    }
    return baseNavBackButton;
}

std::shared_ptr<View> BaseViewCon::setUpLoadingView(Rect frame, std::string text) {
    auto loading = View::create<View>(frame);
    loading->setTag(kLoadingViewTag);
    loading->setBackgroundColor(kStateViewColor);
    double width = frame.width();
    double height = frame.height();

    auto indicator = View::create<platform::ActivityIndicatorView>(platform::ActivityIndicatorStyle::Gray);
    indicator->setFrame(Rect::make(width / 2 - 40, (height - 30) / 2, 23, 23));
    indicator->setTag(kLoadingIndicatorTag);
    indicator->setHidesWhenStopped(true);
    indicator->startAnimating();
    loading->addSubview(indicator);

    loading->addSubview(makeLabel(Rect::make(width / 2 - 10, (height - 30) / 2 - 5, width / 2, 30),
                                  std::move(text), Font::boldSystemFont(14), Color::rgb255(193, 191, 184),
                                  TextAlignment::Left));
    return loading;
}

std::shared_ptr<View> BaseViewCon::setLoadingFailView(Rect frame) {
    auto failed = View::create<View>(frame);
    failed->setTag(kLoadFailViewTag);
    failed->setBackgroundColor(kStateViewColor);
    failed->setUserInteractionEnabled(true);  // the tap to reload needs its touches

    double imageTop = frame.height() / 2 - 110;
    failed->addSubview(
        View::create<ImageView>(Rect::make(100, imageTop, 120, 120), platform::Image::named("loadFail.png")));
    double titleTop = imageTop + 120;
    failed->addSubview(makeLabel(Rect::make(60, titleTop, 200, 30), "数据加载失败", Font::boldSystemFont(17),
                                 Color::white(0.57), TextAlignment::Center));
    failed->addSubview(makeLabel(Rect::make(30, titleTop + 40, 260, 30), "请检查您的网络并点击屏幕重新加载",
                                 Font::systemFont(15), Color::white(0.46), TextAlignment::Center));

    auto tap = std::make_shared<platform::TapGestureRecognizer>();
    std::weak_ptr<ViewController> weak = weak_from_this();
    tap->addAction([weak](platform::GestureRecognizer& recognizer) {
        if (recognizer.state() != platform::GestureState::Ended) {
            return;
        }
        if (auto screen = weak.lock()) {
            static_cast<BaseViewCon&>(*screen).refreshData(&recognizer);
        }
    });
    failed->addGestureRecognizer(tap);
    return failed;
}

std::shared_ptr<View> BaseViewCon::setUpNullDataView(Rect frame, std::string text) {
    auto empty = View::create<View>(frame);
    empty->setTag(kNullDataViewTag);
    empty->setBackgroundColor(kStateViewColor);
    empty->addSubview(
        View::create<ImageView>(Rect::make(95, 70, 128, 128), platform::Image::named("nullData.png")));
    empty->addSubview(makeLabel(Rect::make(50, 200, 220, 30), std::move(text), Font::boldSystemFont(16),
                                Color::white(0.63), TextAlignment::Center));
    return empty;
}

void BaseViewCon::showRequestFailedView(Rect frame) {
    auto root = view();
    if (auto existing = descendantWithTag(*root, kLoadFailViewTag)) {
        existing->superview()->bringSubviewToFront(*existing);
        return;
    }
    root->addSubview(setLoadingFailView(frame));
}

void BaseViewCon::removeSubviewsWithTag(int tag) {
    auto root = view();
    while (auto found = descendantWithTag(*root, tag)) {
        found->removeFromSuperview();
    }
}

platform::View* BaseViewCon::footerOf(platform::View* listView) {
    // Until lists expose their footer, the footer is looked up among the list's own views.
    return listView;
}

void BaseViewCon::stopFooterIndicator(platform::View* listView) {
    View* footer = footerOf(listView);
    if (!footer) {
        return;
    }
    if (auto indicator = std::dynamic_pointer_cast<platform::ActivityIndicatorView>(
            footer->viewWithTag(kFooterIndicatorTag))) {
        indicator->stopAnimating();
    }
}

void BaseViewCon::requestSucLoadingTag(platform::View* listView) {
    removeSubviewsWithTag(kLoadingViewTag);
    removeSubviewsWithTag(kLoadFailViewTag);
    stopFooterIndicator(listView);
}

void BaseViewCon::requestFailedLoadingTag(platform::View* listView) {
    removeSubviewsWithTag(kLoadingViewTag);
    stopFooterIndicator(listView);
}

void BaseViewCon::removeNullDataView(View& view) {
    if (auto empty = descendantWithTag(view, kNullDataViewTag)) {
        empty->removeFromSuperview();
    }
    view.setUserInteractionEnabled(true);
}

void BaseViewCon::back(platform::Control* /*sender*/) {
    platform::log("leftItemClicked");
}

void BaseViewCon::refreshData(platform::GestureRecognizer* /*sender*/) {
    platform::log("重新请求数据");
}
