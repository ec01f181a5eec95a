#include "app/SessionStore.h"

#include "app/LoginInstance.h"
#include "platform/foundation/UserDefaults.h"

void SessionStore::restore() {
    auto& defaults = platform::UserDefaults::standard();
    LoginInstance& session = LoginInstance::getUserInstance();
    session.setUserName(defaults.stringForKey(kUserNameKey));
    session.setUserId(defaults.stringForKey(kUserIdKey));
}

void SessionStore::save() {
    auto& defaults = platform::UserDefaults::standard();
    const LoginInstance& session = LoginInstance::getUserInstance();
    // An absent field (a reply without "userId") removes the key rather than storing null.
    if (session.userName()) {
        defaults.setObject(*session.userName(), kUserNameKey);
    } else {
        defaults.removeObjectForKey(kUserNameKey);
    }
    if (session.userId()) {
        defaults.setObject(*session.userId(), kUserIdKey);
    } else {
        defaults.removeObjectForKey(kUserIdKey);
    }
    defaults.synchronize();
}

void SessionStore::clear() {
    auto& defaults = platform::UserDefaults::standard();
    defaults.removeObjectForKey(kUserIdKey);
    defaults.removeObjectForKey(kUserNameKey);
    defaults.synchronize();
    LoginInstance& session = LoginInstance::getUserInstance();
    session.setUserId(std::nullopt);
    session.setUserName(std::nullopt);
}
