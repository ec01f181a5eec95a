#pragma once

#include "OperationBehaviour.h"

#include <map>
#include <mutex>
#include <string>

namespace qelvo::demo {

// The misbehaviours that tests set per operation (by mode value: "2", "kym8.7", or
// "*" for every operation).
class OperationBehaviours {
public:
    static constexpr const char* kEveryMode = "*";

    void set(const std::string& mode, OperationBehaviour behaviour);
    void clear(const std::string& mode);
    void clearAll();

    // The behaviour for one request of `mode`, counting it against a limited number of times.
    OperationBehaviour take(const std::string& mode);

    nlohmann::json toJson() const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, OperationBehaviour> byMode_;
};

}  // namespace qelvo::demo
