#pragma once

#include "FeedbackStore.h"
#include "MediaVersions.h"
#include "OperationBehaviours.h"
#include "RandomFaults.h"
#include "RequestCounter.h"
#include "RequestLog.h"
#include "TransferTally.h"
#include "UsageCounter.h"

namespace qelvo::demo {

// What the service remembers while it runs (in memory only): usage reports, feedback,
// the request log, the misbehaviours and file versions set by tests, and the bytes sent.
struct ServiceState {
    explicit ServiceState(std::uint64_t faultSeed = 1) : mediaFaults(faultSeed) {}

    UsageCounter usage;
    FeedbackStore feedback;
    RequestLog requests;
    OperationBehaviours behaviours;
    MediaVersions versions;
    RequestCounter mediaRequests;
    RandomFaults mediaFaults;
    TransferTally transfers;

    void reset();
};

}  // namespace qelvo::demo
