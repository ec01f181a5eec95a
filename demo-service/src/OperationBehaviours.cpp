#include "OperationBehaviours.h"

namespace qelvo::demo {

void OperationBehaviours::set(const std::string& mode, OperationBehaviour behaviour) {
    std::lock_guard lock(mutex_);
    if (behaviour.kind == OperationBehaviour::Kind::Normal && behaviour.delay.count() == 0)
        byMode_.erase(mode);
    else
        byMode_.insert_or_assign(mode, std::move(behaviour));
}

void OperationBehaviours::clear(const std::string& mode) {
    std::lock_guard lock(mutex_);
    byMode_.erase(mode);
}

void OperationBehaviours::clearAll() {
    std::lock_guard lock(mutex_);
    byMode_.clear();
}

OperationBehaviour OperationBehaviours::take(const std::string& mode) {
    std::lock_guard lock(mutex_);
    auto found = byMode_.find(mode);
    if (found == byMode_.end()) found = byMode_.find(kEveryMode);
    if (found == byMode_.end()) return {};
    auto behaviour = found->second;
    if (found->second.remaining > 0 && --found->second.remaining == 0) byMode_.erase(found);
    return behaviour;
}

nlohmann::json OperationBehaviours::toJson() const {
    std::lock_guard lock(mutex_);
    auto out = nlohmann::json::object();
    for (const auto& [mode, behaviour] : byMode_)
        out[mode] = behaviour.toJson();
    return out;
}

}  // namespace qelvo::demo
