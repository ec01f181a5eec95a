#pragma once

#include <compare>
#include <ostream>

namespace platform {

// A row of a table: its section and its row within the section. Paths order by
// section, then row.
struct IndexPath {
    int section = 0;
    int row = 0;

    static IndexPath indexPathForRow(int row, int section) { return IndexPath{section, row}; }
    auto operator<=>(const IndexPath&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const IndexPath& path) {
    return out << "[" << path.section << ", " << path.row << "]";
}

}  // namespace platform
