// Preload library that makes one file operation on the game's temporary save
// files fail, to test that a failed save leaves the old data file alone.
//   VORNAKKA_FAULT=<call>=<effect>
//   call:   write, fsync, close, rename
//   effect: an errno name (EIO, ENOSPC, EDQUOT, EACCES, EROFS),
//           "zero" (write reports 0 bytes written) or
//           "trickle" (write takes one byte per call, and succeeds).
// Only descriptors and paths of files named "*.tmp-*" are affected.
#include <dlfcn.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" ssize_t readlink(const char* path, char* buf, size_t size) noexcept;

namespace {

template <typename Fn>
Fn next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

// The effect configured for this call, or nullptr.
const char* faultFor(const char* call) {
    const char* setting = std::getenv("VORNAKKA_FAULT");
    if (setting == nullptr) return nullptr;
    const std::size_t n = std::strlen(call);
    if (std::strncmp(setting, call, n) != 0 || setting[n] != '=') return nullptr;
    return setting + n + 1;
}

bool isTempPath(const char* path) {
    return path != nullptr && std::strstr(path, ".tmp-") != nullptr;
}

bool isTempFd(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t len = readlink(link, target, sizeof target - 1);
    if (len <= 0) return false;
    target[len] = '\0';
    return isTempPath(target);
}

int errnoNamed(const char* name) {
    if (std::strcmp(name, "ENOSPC") == 0) return ENOSPC;
    if (std::strcmp(name, "EDQUOT") == 0) return EDQUOT;
    if (std::strcmp(name, "EACCES") == 0) return EACCES;
    if (std::strcmp(name, "EROFS") == 0) return EROFS;
    return EIO;
}

}  // namespace

extern "C" ssize_t write(int fd, const void* buf, size_t count) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    const char* fault = faultFor("write");
    if (fault != nullptr && isTempFd(fd)) {
        if (std::strcmp(fault, "zero") == 0) return 0;
        if (std::strcmp(fault, "trickle") == 0) return real(fd, buf, count < 1 ? count : 1);
        errno = errnoNamed(fault);
        return -1;
    }
    return real(fd, buf, count);
}

extern "C" int fsync(int fd) {
    static const auto real = next<int (*)(int)>("fsync");
    const char* fault = faultFor("fsync");
    if (fault != nullptr && isTempFd(fd)) {
        errno = errnoNamed(fault);
        return -1;
    }
    return real(fd);
}

extern "C" int close(int fd) {
    static const auto real = next<int (*)(int)>("close");
    const char* fault = faultFor("close");
    if (fault != nullptr && isTempFd(fd)) {
        real(fd);  // Linux releases the descriptor even when close fails
        errno = errnoNamed(fault);
        return -1;
    }
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    const char* fault = faultFor("rename");
    if (fault != nullptr && isTempPath(from)) {
        errno = errnoNamed(fault);
        return -1;
    }
    return real(from, to);
}
