// Raw file bytes and shell commands, for the tests that judge what a save
// left on disk and what a helper program said.
#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace vornakka::test {

inline void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

inline std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a shell command; its output without the final line feeds, or "" when
// it fails.
inline std::string runShell(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "";
    std::string out;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
    const int status = ::pclose(pipe);
    if (status != 0) return "";
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace vornakka::test
