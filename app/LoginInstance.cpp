#include "app/LoginInstance.h"

LoginInstance& LoginInstance::getUserInstance() {
    // A function-local static is created exactly once, even when threads race.
    static LoginInstance instance;
    return instance;
}
