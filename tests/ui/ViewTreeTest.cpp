#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "tests/ui/UiTest.h"

#include <memory>
#include <vector>

using platform::Point;
using platform::Rect;
using platform::View;

namespace {

using ViewPtr = std::shared_ptr<View>;

ViewPtr makeView(double x, double y, double width, double height, int tag = 0) {
    auto view = View::create(Rect::make(x, y, width, height));
    view->setTag(tag);
    return view;
}

std::vector<View*> order(const View& parent) {
    std::vector<View*> result;
    for (const auto& child : parent.subviews()) {
        result.push_back(child.get());
    }
    return result;
}

// Counts its layout passes, to see when the main loop lays the tree out.
class CountingView : public View {
public:
    using View::View;
    void layoutSubviews() override { ++passes; }
    int passes = 0;
};

class ViewTreeTest : public UiTest {};

// --- order of subviews -----------------------------------------------------------

TEST_F(ViewTreeTest, AddedSubviewsStackFrontMostLastAndReAddingMovesToTheFront) {
    auto parent = makeView(0, 0, 100, 100);
    auto a = makeView(0, 0, 10, 10);
    auto b = makeView(0, 0, 10, 10);
    auto c = makeView(0, 0, 10, 10);
    parent->addSubview(a);
    parent->addSubview(b);
    parent->addSubview(c);
    EXPECT_EQ(order(*parent), (std::vector<View*>{a.get(), b.get(), c.get()}));
    EXPECT_EQ(b->superview(), parent.get());

    parent->addSubview(a);
    EXPECT_EQ(order(*parent), (std::vector<View*>{b.get(), c.get(), a.get()}));
}

TEST_F(ViewTreeTest, InsertBringToFrontSendToBackAndRemove) {
    auto parent = makeView(0, 0, 100, 100);
    auto a = makeView(0, 0, 10, 10);
    auto b = makeView(0, 0, 10, 10);
    auto c = makeView(0, 0, 10, 10);
    auto d = makeView(0, 0, 10, 10);
    parent->addSubview(a);
    parent->addSubview(b);
    parent->insertSubview(c, 0);
    EXPECT_EQ(order(*parent), (std::vector<View*>{c.get(), a.get(), b.get()}));
    parent->insertSubviewAbove(d, *c);
    EXPECT_EQ(order(*parent), (std::vector<View*>{c.get(), d.get(), a.get(), b.get()}));

    parent->bringSubviewToFront(*c);
    EXPECT_EQ(order(*parent), (std::vector<View*>{d.get(), a.get(), b.get(), c.get()}));
    parent->sendSubviewToBack(*b);
    EXPECT_EQ(order(*parent), (std::vector<View*>{b.get(), d.get(), a.get(), c.get()}));

    a->removeFromSuperview();
    EXPECT_EQ(order(*parent), (std::vector<View*>{b.get(), d.get(), c.get()}));
    EXPECT_EQ(a->superview(), nullptr);
    a->removeFromSuperview();  // a second removal is harmless
    EXPECT_EQ(parent->subviews().size(), 3u);
}

TEST_F(ViewTreeTest, MovingASiblingBelowOrAboveAnotherLandsNextToIt) {
    auto parent = makeView(0, 0, 100, 100);
    auto a = makeView(0, 0, 10, 10);
    auto b = makeView(0, 0, 10, 10);
    auto c = makeView(0, 0, 10, 10);
    parent->addSubview(a);
    parent->addSubview(b);
    parent->addSubview(c);

    parent->insertSubviewBelow(a, *c);  // a moves up to just below c
    EXPECT_EQ(order(*parent), (std::vector<View*>{b.get(), a.get(), c.get()}));

    parent->insertSubviewAbove(b, *a);  // b moves up to just above a
    EXPECT_EQ(order(*parent), (std::vector<View*>{a.get(), b.get(), c.get()}));
}

TEST_F(ViewTreeTest, AddingToAnotherParentTakesTheViewAwayFromTheFirstAndNoViewContainsItself) {
    auto first = makeView(0, 0, 100, 100);
    auto second = makeView(0, 0, 100, 100);
    auto child = makeView(0, 0, 10, 10);
    first->addSubview(child);
    second->addSubview(child);
    EXPECT_TRUE(first->subviews().empty());
    EXPECT_EQ(child->superview(), second.get());

    child->addSubview(second);  // would make a loop
    EXPECT_TRUE(child->subviews().empty());
    EXPECT_EQ(second->superview(), nullptr);
}

// --- tags --------------------------------------------------------------------------

TEST_F(ViewTreeTest, ViewWithTagFindsTheViewItselfFirstThenSearchesDepthFirst) {
    auto root = makeView(0, 0, 100, 100, 5);
    auto branch = makeView(0, 0, 50, 50);
    auto deep = makeView(0, 0, 10, 10, 7);
    auto shallowButLater = makeView(0, 0, 10, 10, 7);
    branch->addSubview(deep);
    root->addSubview(branch);
    root->addSubview(shallowButLater);

    EXPECT_EQ(root->viewWithTag(5), root);
    EXPECT_EQ(root->viewWithTag(7), deep);
    EXPECT_EQ(branch->viewWithTag(7), deep);
    EXPECT_EQ(root->viewWithTag(99999), nullptr);

    deep->removeFromSuperview();
    EXPECT_EQ(root->viewWithTag(7), shallowButLater);
}

// --- coordinates -------------------------------------------------------------------

TEST_F(ViewTreeTest, ConvertsPointsThroughNestedFramesAndAScrolledBoundsOrigin) {
    auto window = makeMainWindow();
    auto scroller = makeView(10, 20, 200, 300);
    scroller->setBoundsOrigin(Point{0, 50});  // content scrolled up by 50
    auto row = makeView(5, 100, 50, 50);
    auto badge = makeView(4, 6, 10, 10);
    window->addSubview(scroller);
    scroller->addSubview(row);
    row->addSubview(badge);

    EXPECT_EQ(row->convertPointToView(Point{1, 1}, nullptr), (Point{16, 71}));
    EXPECT_EQ(badge->convertPointToView(Point{0, 0}, nullptr), (Point{19, 76}));
    EXPECT_EQ(badge->convertPointToView(Point{0, 0}, scroller.get()), (Point{9, 106}));
    EXPECT_EQ(row->convertPointFromView(Point{16, 71}, nullptr), (Point{1, 1}));
    EXPECT_EQ(badge->frameInWindow(), Rect::make(19, 76, 10, 10));

    auto sibling = makeView(100, 0, 50, 50);
    window->addSubview(sibling);
    EXPECT_EQ(sibling->convertPointFromView(Point{0, 0}, badge.get()), (Point{-81, 76}));

    scroller->setBoundsOrigin(Point{0, 0});
    EXPECT_EQ(badge->frameInWindow(), Rect::make(19, 126, 10, 10));
}

// --- hit testing -------------------------------------------------------------------

TEST_F(ViewTreeTest, HitTestPrefersTheFrontMostOfOverlappingSiblings) {
    auto window = makeMainWindow();
    auto back = makeView(0, 0, 200, 200, 1);
    auto front = makeView(50, 50, 100, 100, 2);
    window->addSubview(back);
    window->addSubview(front);

    EXPECT_EQ(window->viewAtPoint(Point{60, 60}), front);
    EXPECT_EQ(window->viewAtPoint(Point{10, 10}), back);
    EXPECT_EQ(window->viewAtPoint(Point{300, 500}), window);

    window->bringSubviewToFront(*back);
    EXPECT_EQ(window->viewAtPoint(Point{60, 60}), back);
}

TEST_F(ViewTreeTest, HitTestSkipsHiddenTransparentAndNonInteractiveViewsWithTheirSubviews) {
    auto window = makeMainWindow();
    auto container = makeView(0, 0, 200, 200, 1);
    auto cover = makeView(0, 0, 200, 200, 2);
    auto inner = makeView(10, 10, 50, 50, 3);
    cover->addSubview(inner);
    window->addSubview(container);
    window->addSubview(cover);
    ASSERT_EQ(window->viewAtPoint(Point{20, 20}), inner);

    cover->setHidden(true);
    EXPECT_EQ(window->viewAtPoint(Point{20, 20}), container);
    cover->setHidden(false);

    cover->setAlpha(0);
    EXPECT_EQ(window->viewAtPoint(Point{20, 20}), container);
    cover->setAlpha(1);

    cover->setUserInteractionEnabled(false);
    EXPECT_EQ(window->viewAtPoint(Point{20, 20}), container);
    cover->setUserInteractionEnabled(true);

    auto label = View::create<platform::Label>(Rect::make(100, 100, 50, 20));
    auto picture = View::create<platform::ImageView>(Rect::make(100, 150, 50, 20));
    cover->addSubview(label);
    cover->addSubview(picture);
    EXPECT_EQ(window->viewAtPoint(Point{110, 110}), cover);  // labels take no touches
    EXPECT_EQ(window->viewAtPoint(Point{110, 160}), cover);  // nor do pictures, unless told to
    picture->setUserInteractionEnabled(true);
    EXPECT_EQ(window->viewAtPoint(Point{110, 160}), picture);
}

TEST_F(ViewTreeTest, APartOfASubviewOutsideItsParentsBoundsTakesNoTouches) {
    auto window = makeMainWindow();
    auto parent = makeView(0, 0, 100, 100, 1);
    auto overhang = makeView(50, 50, 100, 100, 2);
    parent->addSubview(overhang);
    window->addSubview(parent);

    EXPECT_EQ(window->viewAtPoint(Point{75, 75}), overhang);
    EXPECT_EQ(window->viewAtPoint(Point{120, 120}), window);
    EXPECT_EQ(window->viewAtPoint(Point{100, 50}), window);  // the right edge is outside
}

TEST_F(ViewTreeTest, HitTestFollowsTheScrolledContent) {
    auto window = makeMainWindow();
    auto scroller = makeView(0, 0, 320, 200, 1);
    auto row = makeView(0, 300, 320, 44, 2);
    scroller->addSubview(row);
    window->addSubview(scroller);
    EXPECT_EQ(window->viewAtPoint(Point{10, 110}), scroller);

    scroller->setBoundsOrigin(Point{0, 200});
    EXPECT_EQ(window->viewAtPoint(Point{10, 110}), row);
}

// --- autoresizing ------------------------------------------------------------------

TEST_F(ViewTreeTest, FlexibleSizeFollowsTheSuperviewAndFixedMarginsStay) {
    auto parent = makeView(0, 0, 100, 100);
    auto fill = makeView(10, 10, 80, 80);
    fill->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    auto fixed = makeView(10, 10, 20, 20);
    parent->addSubview(fill);
    parent->addSubview(fixed);

    parent->setFrame(Rect::make(0, 0, 200, 150));
    EXPECT_EQ(fill->frame(), Rect::make(10, 10, 180, 130));
    EXPECT_EQ(fixed->frame(), Rect::make(10, 10, 20, 20));

    parent->setFrame(Rect::make(0, 0, 100, 100));
    EXPECT_EQ(fill->frame(), Rect::make(10, 10, 80, 80));
}

TEST_F(ViewTreeTest, FlexibleMarginsKeepAViewPinnedOrCentred) {
    auto parent = makeView(0, 0, 100, 100);
    auto bottomBar = makeView(0, 80, 100, 20);
    bottomBar->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleTopMargin);
    auto rightBadge = makeView(70, 0, 20, 20);
    rightBadge->setAutoresizingMask(platform::FlexibleLeftMargin);
    auto centred = makeView(40, 40, 20, 20);
    centred->setAutoresizingMask(platform::FlexibleLeftMargin | platform::FlexibleRightMargin |
                                 platform::FlexibleTopMargin | platform::FlexibleBottomMargin);
    parent->addSubview(bottomBar);
    parent->addSubview(rightBadge);
    parent->addSubview(centred);

    parent->setFrame(Rect::make(0, 0, 200, 300));
    EXPECT_EQ(bottomBar->frame(), Rect::make(0, 280, 200, 20));
    EXPECT_EQ(rightBadge->frame(), Rect::make(170, 0, 20, 20));
    EXPECT_EQ(centred->frame(), Rect::make(90, 140, 20, 20));
}

TEST_F(ViewTreeTest, ResizingReachesNestedViewsUnlessTheSuperviewOptsOut) {
    auto parent = makeView(0, 0, 100, 100);
    auto middle = makeView(0, 0, 100, 100);
    middle->setAutoresizingMask(platform::FlexibleWidth | platform::FlexibleHeight);
    auto leaf = makeView(0, 0, 100, 50);
    leaf->setAutoresizingMask(platform::FlexibleWidth);
    middle->addSubview(leaf);
    parent->addSubview(middle);

    parent->setFrame(Rect::make(0, 0, 300, 100));
    EXPECT_EQ(leaf->frame(), Rect::make(0, 0, 300, 50));

    middle->setAutoresizesSubviews(false);
    parent->setFrame(Rect::make(0, 0, 100, 100));
    EXPECT_EQ(middle->frame().width(), 100);
    EXPECT_EQ(leaf->frame().width(), 300);
}

// --- layout passes -----------------------------------------------------------------

TEST_F(ViewTreeTest, LayoutRequestsRunOnceOnTheNextTurnOfTheMainLoop) {
    auto window = makeMainWindow();
    auto view = View::create<CountingView>(Rect::make(0, 0, 100, 100));
    window->addSubview(view);
    runPending();
    ASSERT_EQ(view->passes, 1);  // a new view is laid out once

    view->setNeedsLayout();
    view->setNeedsLayout();
    view->setNeedsLayout();
    EXPECT_EQ(view->passes, 1);
    runPending();
    EXPECT_EQ(view->passes, 2);
    runPending();
    EXPECT_EQ(view->passes, 2);

    view->setFrame(Rect::make(0, 0, 120, 100));  // a new size asks for layout
    runPending();
    EXPECT_EQ(view->passes, 3);
    view->setFrame(Rect::make(5, 5, 120, 100));  // a move alone does not
    runPending();
    EXPECT_EQ(view->passes, 3);
}

}  // namespace
