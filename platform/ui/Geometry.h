#pragma once

#include <algorithm>
#include <cmath>

namespace platform {

// Points, sizes and rectangles in points, as the toolkit measures the screen.
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    bool operator==(const EdgeInsets&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    static constexpr Rect make(double x, double y, double width, double height) {
        return Rect{Point{x, y}, Size{width, height}};
    }
    double minX() const { return origin.x; }
    double minY() const { return origin.y; }
    double maxX() const { return origin.x + size.width; }
    double maxY() const { return origin.y + size.height; }
    double midX() const { return origin.x + size.width / 2; }
    double midY() const { return origin.y + size.height / 2; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    Point center() const { return Point{midX(), midY()}; }
    bool isEmpty() const { return size.width <= 0 || size.height <= 0; }

    // Half-open, like the platform: a point on the right or bottom edge is outside.
    bool contains(Point p) const { return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY(); }
    bool contains(const Rect& other) const {
        return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
               other.maxY() <= maxY();
    }
    bool intersects(const Rect& other) const {
        return other.minX() < maxX() && other.maxX() > minX() && other.minY() < maxY() && other.maxY() > minY();
    }
    Rect intersection(const Rect& other) const {
        double x0 = std::max(minX(), other.minX());
        double y0 = std::max(minY(), other.minY());
        double x1 = std::min(maxX(), other.maxX());
        double y1 = std::min(maxY(), other.maxY());
        if (x1 <= x0 || y1 <= y0) {
            return Rect{};
        }
        return make(x0, y0, x1 - x0, y1 - y0);
    }
    Rect offsetBy(double dx, double dy) const { return make(origin.x + dx, origin.y + dy, size.width, size.height); }
    Rect insetBy(double dx, double dy) const {
        return make(origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy);
    }
    bool operator==(const Rect&) const = default;
};

}  // namespace platform
