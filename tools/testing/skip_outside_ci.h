// A test that cannot run on this machine skips and says why. In CI
// (CI=true), where `tools/deps.sh test` has installed everything the tests
// need and they run as root, the same test fails instead: a skip never
// passes for a pass there.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace vornakka::test {

inline bool runningInCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::strcmp(ci, "true") == 0;
}

}  // namespace vornakka::test

#define VORNAKKA_SKIP_OUTSIDE_CI(reason)                                 \
    do {                                                                 \
        if (::vornakka::test::runningInCi()) {                           \
            GTEST_FAIL() << "not run in CI (CI=true): " << (reason);     \
        } else {                                                         \
            GTEST_SKIP() << (reason);                                    \
        }                                                                \
    } while (false)
