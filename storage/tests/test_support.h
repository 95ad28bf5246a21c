// Shared helpers for the storage tests: running the probe
// program in a child process (a fresh folder per test is tools/testing's
// ScratchFolder).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bytes_and_shell.h"
#include "scratch_folder.h"
#include "vornakka/failure.h"

namespace vornakka::test {

// Runs the probe program: "<env> probe <args>", returns its one output line
// ("OK 1234", "IoError 5 File access denied", ...), or "" when it could not
// run at all.
std::string runProbe(const std::string& env, const std::string& args);

// Runs the probe as the unprivileged user nobody; "" when that is not
// possible here.
std::string runProbeAsNobody(const std::string& args);

// Whether `fn` throws IoError with exactly this code and message.
::testing::AssertionResult throwsIoError(const std::function<void()>& fn, int code,
                                         const std::string& message);
// Whether `fn` throws ConvertError with exactly this message.
::testing::AssertionResult throwsConvertError(const std::function<void()>& fn, const std::string& message);

}  // namespace vornakka::test
