#include <gtest/gtest.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    // The tests run on OpenAL's null device, which plays in real time without
    // a sound card. gtest_discover_tests lists the tests without the ctest
    // environment, so set it here as well.
    setenv("ALSOFT_DRIVERS", "null", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
