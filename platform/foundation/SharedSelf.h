#pragma once

#include <memory>

namespace platform {

// An object as a shared pointer of its own class, when shared_from_this is enabled by a base
// class (a view controller, a view): `sharedSelf(this)` inside a member function.
template <class T>
std::shared_ptr<T> sharedSelf(T* self) {
    return std::static_pointer_cast<T>(self->shared_from_this());
}

}  // namespace platform
