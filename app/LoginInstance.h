#pragma once

#include <optional>
#include <string>

// The one session of the app: the identifier the service gave at login and the
// user name as typed. Both are mirrored in the preference store by the screens
// that change them; the password is never kept.
class LoginInstance {
public:
    // The singleton, created once (thread-safe).
    static LoginInstance& getUserInstance();

    const std::optional<std::string>& userId() const { return _userId; }
    void setUserId(std::optional<std::string> userId) { _userId = std::move(userId); }
    const std::optional<std::string>& userName() const { return _userName; }
    void setUserName(std::optional<std::string> userName) { _userName = std::move(userName); }

    // The two tests of being logged in; an absent field counts as empty.
    bool hasUserId() const { return _userId && !_userId->empty(); }
    bool hasUserName() const { return _userName && !_userName->empty(); }

private:
    LoginInstance() = default;

    std::optional<std::string> _userId;
    std::optional<std::string> _userName;
};
