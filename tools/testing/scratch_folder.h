// A fresh, empty folder for a test, removed with everything in it at the end
// (any permission a test took away from what is in it given back first).
#pragma once

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace vornakka::test {

class ScratchFolder {
public:
    enum class Where {
        TempDir,    // under TMPDIR, or /tmp
        ShortPath,  // under /tmp whatever TMPDIR: servers' sockets live in it,
                    // and a Unix socket's path may be 107 bytes at most
        Memory,     // in /dev/shm when it may be written there, else as TempDir
    };

    // Named "<stem>-XXXXXX", open to its owner only.
    explicit ScratchFolder(const std::string& stem = "vornakka-test", Where where = Where::TempDir) {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        if (where == Where::ShortPath) base = "/tmp";
        if (where == Where::Memory && ::access("/dev/shm", W_OK) == 0) base = "/dev/shm";
        std::string pattern = (base / (stem + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder() {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(path_, ec)) {
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // A subfolder open to its owner only; its path.
    std::string make(const std::string& name) const {
        const std::string dir = file(name);
        ::mkdir(dir.c_str(), 0700);
        return dir;
    }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string path_;
};

}  // namespace vornakka::test
