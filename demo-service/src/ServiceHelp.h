#pragma once

#include <string>

namespace qelvo::demo {

// The text of --help: what the service serves and how to make it misbehave.
class ServiceHelp {
public:
    static std::string description();
    static std::string footer();
};

}  // namespace qelvo::demo
