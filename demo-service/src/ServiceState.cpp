#include "ServiceState.h"

namespace qelvo::demo {

void ServiceState::reset() {
    usage.reset();
    feedback.clear();
    requests.clear();
    behaviours.clearAll();
    versions.clear();
    mediaRequests.clear();
    mediaFaults.restart();
    transfers.clear();
}

}  // namespace qelvo::demo
