// A preloaded library that makes chosen file calls fail, for the tests of the
// data-file saves. It stays out of the way until told what to fail, in one of
// two ways:
//
// By the environment, for a whole process: every such call on the game's
// temporary save files (paths and descriptors of files named "*.tmp-*")
// fails.
//   VORNAKKA_FAULT=<call>=<effect>
//   call:   write, fsync, close, rename
//   effect: an errno name (EIO, ENOSPC, EDQUOT, EACCES, EROFS),
//           "zero" (write reports 0 bytes written) or
//           "trickle" (write takes one byte per call, and succeeds).
//
// By the program, which arms it (the functions below, found with dlsym); it
// then counts the file calls the program makes and fails the n-th one:
//   vornakka_fault_arm(n, call, err, mode)
//       n     the 1-based number of the call to fail; 0 only counts
//       call  only calls of this name count ("write", "fsync", ...), or
//             nullptr for all of them
//       err   the errno the failing call sets (EIO, ENOSPC, ...)
//       mode  0: the call fails with -1 and err; 1: a write writes only half
//             of what it was given (at least one byte) and succeeds;
//             2: a write reports 0 bytes written
//   vornakka_fault_disarm()    stops counting and failing
//   vornakka_fault_calls()     calls counted since arming
//   vornakka_fault_failed()    name of the call that was failed, or ""
//
// Counted calls: open, open64, openat, mkostemp, mkostemp64, fchmod, write,
// fsync, fdatasync, close, rename. A failed close still releases the
// descriptor, as close does on Linux.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" ssize_t readlink(const char* path, char* buf, size_t size) noexcept;

namespace {

// What a failed call does.
enum Mode { kFail = 0, kHalf = 1, kZero = 2, kOneByte = 3 };

struct Effect {
    int err = EIO;
    int mode = kFail;
};

struct Armed {
    bool armed = false;
    long failAt = 0;
    const char* only = nullptr;
    Effect effect;
    long calls = 0;
    const char* failed = "";
    char onlyName[32] = {};
};

Armed armed;

template <typename Fn>
Fn real(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

// Counts the call while armed; true when this is the one to fail.
bool armedHit(const char* name, Effect& effect) {
    if (!armed.armed) return false;
    if (armed.only != nullptr && std::strcmp(armed.only, name) != 0) return false;
    ++armed.calls;
    if (armed.failAt == 0 || armed.calls != armed.failAt) return false;
    armed.failed = name;
    effect = armed.effect;
    return true;
}

bool isTempPath(const char* path) { return path != nullptr && std::strstr(path, ".tmp-") != nullptr; }

bool isTempFd(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t len = readlink(link, target, sizeof target - 1);
    if (len <= 0) return false;
    target[len] = '\0';
    return isTempPath(target);
}

// The environment's fault for this call, on a temporary save file only (the
// descriptor fd, or the path when fd is -1).
bool environmentHit(const char* call, int fd, const char* path, Effect& effect) {
    const char* setting = std::getenv("VORNAKKA_FAULT");
    if (setting == nullptr) return false;
    const std::size_t n = std::strlen(call);
    if (std::strncmp(setting, call, n) != 0 || setting[n] != '=') return false;
    if (!(fd >= 0 ? isTempFd(fd) : isTempPath(path))) return false;
    const char* name = setting + n + 1;
    effect = Effect{};
    if (std::strcmp(name, "zero") == 0) effect.mode = kZero;
    if (std::strcmp(name, "trickle") == 0) effect.mode = kOneByte;
    if (std::strcmp(name, "ENOSPC") == 0) effect.err = ENOSPC;
    if (std::strcmp(name, "EDQUOT") == 0) effect.err = EDQUOT;
    if (std::strcmp(name, "EACCES") == 0) effect.err = EACCES;
    if (std::strcmp(name, "EROFS") == 0) effect.err = EROFS;
    return true;
}

// Whether to fail this call, and how.
bool hit(const char* name, int fd, const char* path, Effect& effect) {
    return armedHit(name, effect) || environmentHit(name, fd, path, effect);
}

int fail(const Effect& effect) {
    errno = effect.err;
    return -1;
}

// open's third argument, given only when the call may make a file.
mode_t modeOf(int flags, va_list args) {
    const bool makes = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    return makes ? static_cast<mode_t>(va_arg(args, unsigned int)) : 0;
}

}  // namespace

extern "C" {

void vornakka_fault_arm(long n, const char* call, int err, int mode) {
    armed = Armed{};
    if (call != nullptr) {
        std::strncpy(armed.onlyName, call, sizeof armed.onlyName - 1);
        armed.only = armed.onlyName;
    }
    armed.failAt = n;
    armed.effect = Effect{err, mode};
    armed.armed = true;
}

void vornakka_fault_disarm() { armed.armed = false; }
long vornakka_fault_calls() { return armed.calls; }
const char* vornakka_fault_failed() { return armed.failed; }

// open and open64, the same call to the program.
#define VORNAKKA_COUNTED_OPEN(name)                                          \
    int name(const char* path, int flags, ...) {                             \
        static const auto next = real<int (*)(const char*, int, ...)>(#name); \
        va_list args;                                                        \
        va_start(args, flags);                                               \
        const mode_t mode = modeOf(flags, args);                             \
        va_end(args);                                                        \
        Effect effect;                                                       \
        return armedHit("open", effect) ? fail(effect) : next(path, flags, mode); \
    }

VORNAKKA_COUNTED_OPEN(open)
VORNAKKA_COUNTED_OPEN(open64)

int openat(int dirfd, const char* path, int flags, ...) {
    static const auto next = real<int (*)(int, const char*, int, ...)>("openat");
    va_list args;
    va_start(args, flags);
    const mode_t mode = modeOf(flags, args);
    va_end(args);
    Effect effect;
    return armedHit("open", effect) ? fail(effect) : next(dirfd, path, flags, mode);
}

int mkostemp(char* templ, int flags) {
    static const auto next = real<int (*)(char*, int)>("mkostemp");
    Effect effect;
    return armedHit("mkostemp", effect) ? fail(effect) : next(templ, flags);
}

int mkostemp64(char* templ, int flags) {
    static const auto next = real<int (*)(char*, int)>("mkostemp64");
    Effect effect;
    return armedHit("mkostemp", effect) ? fail(effect) : next(templ, flags);
}

int fchmod(int fd, mode_t mode) noexcept {
    static const auto next = real<int (*)(int, mode_t)>("fchmod");
    Effect effect;
    return armedHit("fchmod", effect) ? fail(effect) : next(fd, mode);
}

ssize_t write(int fd, const void* buf, size_t count) {
    static const auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    Effect effect;
    if (!hit("write", fd, nullptr, effect)) return next(fd, buf, count);
    if (effect.mode == kHalf && count > 0) return next(fd, buf, count > 1 ? count / 2 : 1);
    if (effect.mode == kOneByte) return next(fd, buf, count < 1 ? count : 1);
    if (effect.mode == kZero) return 0;
    return fail(effect);
}

int fsync(int fd) {
    static const auto next = real<int (*)(int)>("fsync");
    Effect effect;
    return hit("fsync", fd, nullptr, effect) ? fail(effect) : next(fd);
}

int fdatasync(int fd) {
    static const auto next = real<int (*)(int)>("fdatasync");
    Effect effect;
    return armedHit("fsync", effect) ? fail(effect) : next(fd);
}

int close(int fd) {
    static const auto next = real<int (*)(int)>("close");
    Effect effect;
    if (!hit("close", fd, nullptr, effect)) return next(fd);
    next(fd);  // Linux releases the descriptor even when close fails
    return fail(effect);
}

int rename(const char* from, const char* to) noexcept {
    static const auto next = real<int (*)(const char*, const char*)>("rename");
    Effect effect;
    return hit("rename", -1, from, effect) ? fail(effect) : next(from, to);
}

}  // extern "C"
