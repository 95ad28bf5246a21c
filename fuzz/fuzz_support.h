// What the fuzz harnesses share: the loaders read files by name, so each
// input is written to a file in a private folder (in /dev/shm when there is
// one, which keeps a million executions off the disk), and a broken promise
// aborts with a message, which both libFuzzer and the replay test report.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vornakka::fuzz {

// Set by the replay program to the file being replayed, for the message.
inline const char* currentInput = nullptr;

[[noreturn]] inline void fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s%s%s\n", what.c_str(), currentInput ? "\n  input: " : "",
                 currentInput ? currentInput : "");
    std::fflush(stderr);
    std::abort();
}

}  // namespace vornakka::fuzz

// Checks a promise; the message is built only when it is broken.
#define FUZZ_CHECK(condition, message)                              \
    do {                                                            \
        if (!(condition)) ::vornakka::fuzz::fail(message);          \
    } while (0)

namespace vornakka::fuzz {

// A folder of this process's own, removed (with what is in it) at exit.
class Scratch {
public:
    static Scratch& get() {
        static Scratch scratch;
        return scratch;
    }
    std::string file(const char* name) const { return dir_ + "/" + name; }
    const std::string& folder() const { return dir_; }

    ~Scratch() {
        if (DIR* dir = ::opendir(dir_.c_str())) {
            while (const dirent* e = ::readdir(dir)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") ::unlink((dir_ + "/" + name).c_str());
            }
            ::closedir(dir);
        }
        ::rmdir(dir_.c_str());
    }

private:
    Scratch() {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : nullptr;
        if (base == nullptr) base = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
        std::string pattern = std::string(base) + "/vornakka-fuzz-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) == nullptr) fail("cannot make a scratch folder in " + std::string(base));
        dir_ = name.data();
    }
    std::string dir_;
};

// Replaces the file with exactly these bytes.
inline void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("cannot write " + path);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0) fail("cannot write " + path);
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

inline std::string readAll(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("cannot read " + path);
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) fail("cannot read " + path);
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

// Entries of a folder other than the given names: a save must leave no
// temporary file behind.
inline std::vector<std::string> strayFiles(const std::string& folder, std::initializer_list<std::string> known) {
    std::vector<std::string> out;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) fail("cannot list " + folder);
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (std::find(known.begin(), known.end(), name) == known.end()) out.push_back(name);
    }
    ::closedir(dir);
    return out;
}

}  // namespace vornakka::fuzz
