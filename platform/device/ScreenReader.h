#pragma once

#include "platform/foundation/Json.h"
#include "platform/ui/Geometry.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class View;
class ViewController;
class Window;

// Reads a window as a person sees it: the visible views that show text or take
// touches (in window coordinates, front-most last), the toasts, the alert and the
// progress overlay; and the whole view tree for the browser display.
class ScreenReader {
public:
    explicit ScreenReader(Window& window);

    Value screen() const;
    Value views() const;
    Value tree() const;
    // The screen that fills the window now: the last presented one, else the selected
    // tab's top screen (or the root itself).
    std::shared_ptr<ViewController> frontController() const;

private:
    // A view met in drawing order (back to front), with the part of it inside the
    // window and its clipping ancestors.
    struct Drawn {
        const View* view;
        Rect visible;
        std::size_t order;
    };
    struct Listing {
        std::vector<std::pair<Drawn, Value>> entries;
        std::vector<Drawn> opaque;
        std::vector<std::string> toasts;
        std::optional<std::string> hud;
    };
    void collect(const View& view, Rect clip, Listing& listing, std::size_t& order) const;
    static bool isCovered(const Drawn& drawn, const std::vector<Drawn>& opaque);
    static std::optional<std::string> firstText(const View& view);
    Listing listing() const;
    static Value uncovered(const Listing& all);
    Value describeTree(const View& view) const;

    Window& window_;
};

}  // namespace platform
