// Tables of (program, expected) cases run on fresh interpreters: once as
// they are and once with a full collection at every allocation, which shows
// any cell a step holds without a root.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "tests/scheme/support/test_host.h"

namespace scheme_test {

struct Case {
    const char* program;
    const char* expected;  // write form of the value, or the error output
};

template <typename In = Interp>
void run_table(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        In in;
        EXPECT_EQ(in.run(c.program), c.expected) << c.program;
        In stressed;
        stressed.ctx->threshold = 0;
        EXPECT_EQ(stressed.run(c.program), c.expected) << "collecting at every allocation: " << c.program;
    }
}

}  // namespace scheme_test
