#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vornakka::test {

namespace fs = std::filesystem;

std::string runProbe(const std::string& env, const std::string& args) {
    // A sanitizer build would object to the preloaded library coming first.
    return runShell("env ASAN_OPTIONS=verify_asan_link_order=0 " + env + " " STORAGE_PROBE " " + args +
                    " 2>/dev/null");
}

std::string runProbeAsNobody(const std::string& args) {
    if (runShell("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null && echo yes") !=
        "yes") {
        return "";
    }
    return runShell("setpriv --reuid=65534 --regid=65534 --clear-groups " STORAGE_PROBE " " + args +
                    " 2>/dev/null");
}

::testing::AssertionResult throwsIoError(const std::function<void()>& fn, int code,
                                         const std::string& message) {
    try {
        fn();
    } catch (const IoError& e) {
        if (e.code() == code && message == e.what()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "IoError(" << e.code() << ", \"" << e.what() << "\")";
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "other exception: " << e.what();
    }
    return ::testing::AssertionFailure() << "nothing thrown";
}

::testing::AssertionResult throwsConvertError(const std::function<void()>& fn, const std::string& message) {
    try {
        fn();
    } catch (const ConvertError& e) {
        if (message == e.what()) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "ConvertError(\"" << e.what() << "\")";
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "other exception: " << e.what();
    }
    return ::testing::AssertionFailure() << "nothing thrown";
}

}  // namespace vornakka::test
