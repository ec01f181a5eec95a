#pragma once

// Moves the session between `LoginInstance` and the preference store under the
// keys "userName" and "userId".
class SessionStore {
public:
    static constexpr const char* kUserNameKey = "userName";
    static constexpr const char* kUserIdKey = "userId";

    // Fills the session from the store; an absent value leaves that field empty.
    static void restore();
    // Writes "userName" and then "userId" from the session, and synchronises.
    static void save();
    // Removes "userId" and then "userName", synchronises, and empties the session.
    static void clear();
};
