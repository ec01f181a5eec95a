#pragma once

#include <string>
#include <string_view>

namespace qelvo::demo {

// The HTML page sent with an error status (404, 403, 500, ...).
class ErrorPage {
public:
    static std::string render(int status, std::string_view detail = {});
    static std::string reasonText(int status);
};

}  // namespace qelvo::demo
