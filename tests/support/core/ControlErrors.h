#pragma once
// The error number a capture control call raises, for tables of calls and their errors.
#include "core/ports/ControlError.h"

#include <gtest/gtest.h>

namespace testsupport {

// Runs `f`; the number of the ControlError it throws (whose text must not be empty), 0 when it
// throws none.
template <typename F> qint32 errorOf(F&& f) {
    try {
        f();
    } catch (const ports::ControlError& e) {
        EXPECT_FALSE(e.description().isEmpty());
        return e.number();
    }
    return 0;
}

} // namespace testsupport
