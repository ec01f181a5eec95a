#include "netutil/ALNetwork.h"

#include "netutil/Reachability.h"

// The check reads the route's status at once; it does not start notifications, so
// asking at every add and resume leaves no started object behind.
bool ALNetwork::connectedVia3G() {
    return Reachability::reachabilityForInternetConnection()->currentReachabilityStatus() ==
           Reachability::ReachableViaWWAN;
}

bool ALNetwork::connectedViaWiFi() {
    return Reachability::reachabilityForInternetConnection()->currentReachabilityStatus() ==
           Reachability::ReachableViaWiFi;
}
