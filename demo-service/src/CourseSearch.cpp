#include "CourseSearch.h"

#include <algorithm>

namespace qelvo::demo {

namespace {

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return out;
}

bool contains(const std::string& haystack, const std::string& word) {
    return lowerAscii(haystack).find(word) != std::string::npos;
}

}  // namespace

CourseSearch::CourseSearch(const ServiceContent& content) : content_(content) {}

std::vector<std::string> CourseSearch::words(std::string_view key) {
    // Full-width spaces (U+3000) separate words as well as ASCII white space.
    std::string normalised;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key.substr(i, 3) == "\xE3\x80\x80") {
            normalised.push_back(' ');
            i += 2;
            continue;
        }
        const char c = key[i];
        normalised.push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
    }
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < normalised.size()) {
        auto end = normalised.find(' ', start);
        if (end == std::string::npos) end = normalised.size();
        if (end > start) out.push_back(lowerAscii(normalised.substr(start, end - start)));
        start = end + 1;
    }
    return out;
}

std::vector<const Course*> CourseSearch::find(std::string_view key) const {
    const auto wanted = words(key);
    std::vector<const Course*> found;
    for (const auto& course : content_.courses) {
        if (matches(course, wanted, {})) found.push_back(&course);
    }
    return found;
}

std::vector<const Course*> CourseSearch::findInCategory(std::string_view key,
                                                        const std::string& categoryId) const {
    std::vector<const Course*> found;
    const auto* category = content_.category(categoryId);
    if (!category) return found;
    const auto wanted = words(key);
    for (const auto* course : content_.coursesOf(*category)) {
        if (matches(*course, wanted, category->title)) found.push_back(course);
    }
    return found;
}

bool CourseSearch::matches(const Course& course, const std::vector<std::string>& words,
                           const std::string& extra) {
    return std::all_of(words.begin(), words.end(), [&](const std::string& word) {
        return contains(course.title, word) || contains(course.info, word) ||
               (!extra.empty() && contains(extra, word));
    });
}

}  // namespace qelvo::demo
