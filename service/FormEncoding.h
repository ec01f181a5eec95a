#pragma once

#include <string>
#include <string_view>

// Values of an application/x-www-form-urlencoded body. A value goes into the body
// encoded, so that what a person typed ("&", "=", "+", "%", spaces, any script) arrives
// as typed and can never add or change another field of the request.
class FormEncoding {
public:
    // Letters, digits and "-._*" stay as they are, a space becomes "+", every other
    // byte of the UTF-8 text becomes "%XX" (upper-case hex).
    static std::string encode(std::string_view value);
};
