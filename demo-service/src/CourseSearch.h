#pragma once

#include "ServiceContent.h"

#include <string>
#include <string_view>
#include <vector>

namespace qelvo::demo {

// Finds courses for the search screen. The key is split into words at spaces (ASCII
// and full-width); a course matches when every word occurs in its title or summary
// (ASCII letters compared without case). A search within a search category looks only
// at that category's courses and also accepts words found in the category's title, so
// a suggested category key lists its whole category. An empty key matches everything.
class CourseSearch {
public:
    explicit CourseSearch(const ServiceContent& content);

    std::vector<const Course*> find(std::string_view key) const;
    std::vector<const Course*> findInCategory(std::string_view key, const std::string& categoryId) const;

    static std::vector<std::string> words(std::string_view key);

private:
    static bool matches(const Course& course, const std::vector<std::string>& words,
                        const std::string& extra);

    const ServiceContent& content_;
};

}  // namespace qelvo::demo
