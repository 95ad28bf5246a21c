// Shared helpers for the storage tests: a fresh folder per test, raw file
// bytes, and running the probe program in a child process.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "vornakka/failure.h"

namespace vornakka::test {

// A fresh, empty folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);

// Runs a shell command; its output without the final line feeds, or "" when
// it fails.
std::string runShell(const std::string& command);

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
