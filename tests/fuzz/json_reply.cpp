// Service replies as every screen first reads them: the JSON reader, the reply
// envelope, and the value readings the screens take fields with.

#include "platform/foundation/Json.h"
#include "service/ServiceReply.h"
#include "tests/fuzz/support/FuzzBytes.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

using platform::Json;
using platform::Value;

namespace {

// Reads every value as the screens may: as text, as numbers, as a flag. Walks with a
// list rather than recursion; returns the deepest nesting met.
int readEveryValue(const Value& root) {
    int deepest = 0;
    std::vector<std::pair<const Value*, int>> pending{{&root, 1}};
    while (!pending.empty()) {
        auto [value, depth] = pending.back();
        pending.pop_back();
        if (value->is_object() || value->is_array()) {
            deepest = std::max(deepest, depth);
            for (const Value& member : *value) {
                pending.emplace_back(&member, depth + 1);
            }
            continue;
        }
        (void)Json::description(value);
        (void)Json::intValue(value);
        (void)Json::longLongValue(value);
        (void)Json::doubleValue(value);
        (void)Json::boolValue(value);
        (void)Json::string(value);
    }
    return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = qelvo::fuzz::bytesOf(data, size);
    const std::optional<Value> value = Json::parse(bytes);
    const std::optional<Value> reply = ServiceReply::parse(bytes);
    if (!value) {
        if (reply) std::abort();  // a reply is JSON first
        return 0;
    }
    // Whatever is read is data: within the nesting bound, and the same again when read
    // back from its own text (the log lines and the cached replies are that text).
    if (readEveryValue(*value) > Json::kMaxNestingDepth) std::abort();
    const std::optional<Value> again = Json::parse(Json::serialize(*value));
    if (!again || *again != *value) std::abort();
    if (reply) {
        (void)ServiceReply::isSuccess(*reply);
        (void)ServiceReply::message(*reply);
        (void)ServiceReply::nowPage(*reply);
        (void)ServiceReply::hasNext(*reply);
        if (const Value* list = ServiceReply::dataList(*reply)) {
            for (const Value& item : *list) {
                (void)ServiceReply::isTrue(item, "hasMore");
                (void)Json::stringForKey(item, "id");
            }
        }
        (void)Json::description(*reply);
    }
    return 0;
}
