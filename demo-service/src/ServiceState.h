#pragma once

#include "FeedbackStore.h"
#include "MediaVersions.h"
#include "OperationBehaviours.h"
#include "RequestCounter.h"
#include "RequestLog.h"
#include "UsageCounter.h"

namespace qelvo::demo {

// What the service remembers while it runs (in memory only): usage reports, feedback,
// the request log, and the misbehaviours and file versions set by tests.
struct ServiceState {
    UsageCounter usage;
    FeedbackStore feedback;
    RequestLog requests;
    OperationBehaviours behaviours;
    MediaVersions versions;
    RequestCounter mediaRequests;

    void reset();
};

}  // namespace qelvo::demo
