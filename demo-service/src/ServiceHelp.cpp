#include "ServiceHelp.h"

namespace qelvo::demo {

std::string ServiceHelp::description() {
    return "qelvo-demo-service: a sample of the Qelvo learning service (finance and tax micro-courses and "
           "news)\n"
           "for running and testing the client. Prints \"qelvo-demo-service listening on http://HOST:PORT\" "
           "once\n"
           "it accepts connections; SIGINT or SIGTERM stop it.";
}

std::string ServiceHelp::footer() {
    return R"(SERVICE
  POST /wcm/qelvo/app/index.aspx   form body "mode=N&..." (values raw or %XX-encoded), one JSON reply
      mode=1                          usage report (counted)                 result, count
      mode=2                          home page                              adList, dataList (sections)
      mode=3&nowPage=P&pageSize=10    course categories, paged               nowPage, hasNext, dataList
      mode=5&id=C&nowPage=P&...       courses of category C, paged           nowPage, hasNext, dataList
      mode=4&categoryId=&...          news channels                          category
      mode=4&categoryId=K&nowPage=P   articles of channel K (+ "head" on page 1)
      mode=6                          suggested search keys ("type" "1" = search category)
      mode=7&searchKey=S[&searchId=C]&nowPage=P&pageSize=10   course search in titles and summaries
      mode=8&userName=U&password=W    login; demo account: demo / qelvo123  result, message, userId
      mode=kym8.7&userId=U&content=T  feedback                               result, message
  GET  /wcm/qelvo/app/courseDetail.aspx?[userId=U&]docId=ID&from=iOS   course page ("doLogin", "video:" links)
  GET  /wcm/qelvo/app/newsDetail.aspx?docId=ID&from=iOS                article or advertisement page
  GET  /wcm/qelvo/app/yijian.aspx[?userId=U], GuanYuWoMen.aspx, LianXiWoMen.aspx   service pages
  GET  /pics/<name>     pictures (PNG, JPEG, animated GIF; "@2x" variants)
  GET  /videos/<name>   sample videos (H.264/AAC MP4)
  GET  /videos/synthetic/<bytes>.mp4   a file of any size; byte i = splitmix-style hash of (i, version)

TRANSFER SWITCHES (query parameters of /pics and /videos addresses)
  rate=N          at most N bytes per second        stallAfter=N [stallMs=M]  stop sending after N bytes
  dropAfter=N     close the connection after N bytes  status=403|404|500|...  that status, HTML body
  ignoreRange=1   200 with the whole file            earlyStart=N  a 206 starting N bytes before the asked start
  lateStart=N     a 206 starting N bytes after the asked start
  noLength=1      chunked, no Content-Length         noLength=close  no length, closed at the end
  gzip=1          Content-Encoding: gzip             redirects=N  N 302s before the file (redirectStatus=30x)
  redirectLoop=1  redirects to itself forever        version=K  serve version K (new ETag/Last-Modified)
  delay=M         wait M ms before answering         times=N  misbehave for the first N requests of the address
  from=N          misbehave from the N-th request of the address on (with times=M: for M requests)
  shortRange=N    a truthful 206 of only N bytes from the asked start (byte 0 without Range)
  faults=P        P % of requests: 500, 503, a 302 to itself or a drop mid-body, at random (--seed S)
  Every file: Accept-Ranges, 206 + Content-Range, 416, ETag, Last-Modified, If-Range, If-None-Match.

CONTROL (JSON; not in the request log)
  GET  /control                       state
  POST /control                       {"mode":"2","behaviour":"notJson|notUtf8|resultFailure|http500|drop|empty|delay|normal",
                                       "delay":ms,"times":n,"message":"..."}   ("mode":"*" = every operation)
                                      {"mode":"4","behaviour":"custom","reply":{...}} or "body":"text": that reply instead
                                      {"mode":"4","behaviour":"patch","patch":{"head":[]}}: merged into the real reply
  DELETE /control/behaviours          all operations normal again
  POST /control/reset                 forget everything (behaviours, versions, logs, counts, feedback)
  GET  /control/requests?from=N       requests received from entry N: {"requests":[...],"next":M}
  DELETE /control/requests            clear the request log (also POST /control/requests/clear)
  GET  /control/usage | /control/feedback    mode=1 count | feedback received
  POST /control/media                 {"path":"/videos/tax-101.mp4","version":2}: the file is replaced
  GET  /control/transfers             body bytes sent per path: {"bytes":{...},"total":N}; DELETE empties it

See demo-service/README.md for details.)";
}

}  // namespace qelvo::demo
