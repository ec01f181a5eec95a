#pragma once

#include "ServiceState.h"

#include <httplib.h>

namespace qelvo::demo {

// The control endpoint for tests (JSON in, JSON out), below "/control":
//   GET    /control                    state: usage count, behaviours, versions, log size
//   POST   /control                    {"mode": "2", "behaviour": "notJson", "delay": ms, "times": n, ...}
//   DELETE /control/behaviours         every operation answers normally again
//   POST   /control/reset              forget everything the service remembered
//   GET    /control/requests?from=N    the request log from entry N: {"requests": [...], "next": M}
//   DELETE /control/requests           (or POST /control/requests/clear) empties the log
//   GET    /control/usage              {"count": N} of "mode=1" reports
//   GET    /control/feedback           {"feedback": [...]}; DELETE empties it
//   GET    /control/media              versions set per address
//   POST   /control/media              {"path": "/videos/tax-101.mp4", "version": 2}: the file changes
//   GET    /control/transfers          body bytes sent: {"bytes": {path: N, ...}, "total": N}; DELETE empties
class ControlApi {
public:
    explicit ControlApi(ServiceState& state);

    void handle(const httplib::Request& request, httplib::Response& response);

private:
    void setBehaviour(const httplib::Request& request, httplib::Response& response);
    void setMediaVersion(const httplib::Request& request, httplib::Response& response);
    nlohmann::json status() const;

    ServiceState& state_;
};

}  // namespace qelvo::demo
