#include "UserOperations.h"

#include "Clock.h"
#include "ContentOperations.h"
#include "Utf8.h"

namespace qelvo::demo {

using nlohmann::json;

UserOperations::UserOperations(const ServiceContent& content, UsageCounter& usage, FeedbackStore& feedback)
    : content_(content), usage_(usage), feedback_(feedback) {}

json UserOperations::usageReport() {
    const auto count = usage_.add();
    return {{"result", "0"}, {"message", ""}, {"count", std::to_string(count)}};
}

json UserOperations::login(const FormBody& form) const {
    // Both texts are compared exactly as sent: no trimming, case matters.
    const auto userName = form.valueOr("userName");
    const auto password = form.valueOr("password");
    if (userName.empty()) return ContentOperations::failure("请输入用户名");
    if (password.empty()) return ContentOperations::failure("请输入密码");
    const auto* account = content_.accountByName(userName);
    if (!account) return ContentOperations::failure("该用户不存在");
    if (account->password != password) return ContentOperations::failure("密码错误,请重新输入");
    if (account->locked) return ContentOperations::failure("该账号已被冻结,请联系客服");
    return {{"result", "0"},
            {"message", "登录成功"},
            {"userId", account->userId},
            {"userName", account->userName},
            {"nickName", account->nickName}};
}

json UserOperations::feedback(const std::string& userId, const std::string& content,
                              const std::string& from) {
    if (content.empty()) return ContentOperations::failure("反馈内容不能为空");
    if (Utf8::length(content) > kMaxFeedbackLength)
        return ContentOperations::failure("反馈内容不能超过500字");
    feedback_.add({userId, content, from, Clock::isoNow()});
    return {{"result", "0"}, {"message", "感谢您的宝贵意见!"}};
}

}  // namespace qelvo::demo
