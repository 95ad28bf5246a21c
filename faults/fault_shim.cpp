// A preloaded library that makes one chosen file call fail, for the fault
// tests of the data-file saves. It stays out of the way until the program
// arms it (the functions below, found with dlsym), then counts the file calls
// the program makes and fails the n-th one:
//
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
#include <cstring>

namespace {

struct Fault {
    bool armed = false;
    long failAt = 0;
    const char* only = nullptr;
    int err = EIO;
    int mode = 0;
    long calls = 0;
    const char* failed = "";
    char onlyName[32] = {};
};

Fault fault;

template <typename Fn>
Fn real(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

// Counts the call; true when this is the one to fail.
bool hit(const char* name) {
    if (!fault.armed) return false;
    if (fault.only != nullptr && std::strcmp(fault.only, name) != 0) return false;
    ++fault.calls;
    if (fault.failAt == 0 || fault.calls != fault.failAt) return false;
    fault.failed = name;
    return true;
}

}  // namespace

extern "C" {

void vornakka_fault_arm(long n, const char* call, int err, int mode) {
    fault = Fault{};
    if (call != nullptr) {
        std::strncpy(fault.onlyName, call, sizeof fault.onlyName - 1);
        fault.only = fault.onlyName;
    }
    fault.failAt = n;
    fault.err = err;
    fault.mode = mode;
    fault.armed = true;
}

void vornakka_fault_disarm() { fault.armed = false; }
long vornakka_fault_calls() { return fault.calls; }
const char* vornakka_fault_failed() { return fault.failed; }

int open(const char* path, int flags, ...) {
    static const auto next = real<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list ap;
        va_start(ap, flags);
        mode = static_cast<mode_t>(va_arg(ap, unsigned int));
        va_end(ap);
    }
    if (hit("open")) {
        errno = fault.err;
        return -1;
    }
    return next(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    static const auto next = real<int (*)(const char*, int, ...)>("open64");
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list ap;
        va_start(ap, flags);
        mode = static_cast<mode_t>(va_arg(ap, unsigned int));
        va_end(ap);
    }
    if (hit("open")) {
        errno = fault.err;
        return -1;
    }
    return next(path, flags, mode);
}

int openat(int dirfd, const char* path, int flags, ...) {
    static const auto next = real<int (*)(int, const char*, int, ...)>("openat");
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list ap;
        va_start(ap, flags);
        mode = static_cast<mode_t>(va_arg(ap, unsigned int));
        va_end(ap);
    }
    if (hit("open")) {
        errno = fault.err;
        return -1;
    }
    return next(dirfd, path, flags, mode);
}

int mkostemp(char* templ, int flags) {
    static const auto next = real<int (*)(char*, int)>("mkostemp");
    if (hit("mkostemp")) {
        errno = fault.err;
        return -1;
    }
    return next(templ, flags);
}

int mkostemp64(char* templ, int flags) {
    static const auto next = real<int (*)(char*, int)>("mkostemp64");
    if (hit("mkostemp")) {
        errno = fault.err;
        return -1;
    }
    return next(templ, flags);
}

int fchmod(int fd, mode_t mode) noexcept {
    static const auto next = real<int (*)(int, mode_t)>("fchmod");
    if (hit("fchmod")) {
        errno = fault.err;
        return -1;
    }
    return next(fd, mode);
}

ssize_t write(int fd, const void* buf, size_t count) {
    static const auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    if (hit("write")) {
        if (fault.mode == 1 && count > 0) return next(fd, buf, count > 1 ? count / 2 : 1);
        if (fault.mode == 2) return 0;
        errno = fault.err;
        return -1;
    }
    return next(fd, buf, count);
}

int fsync(int fd) {
    static const auto next = real<int (*)(int)>("fsync");
    if (hit("fsync")) {
        errno = fault.err;
        return -1;
    }
    return next(fd);
}

int fdatasync(int fd) {
    static const auto next = real<int (*)(int)>("fdatasync");
    if (hit("fsync")) {
        errno = fault.err;
        return -1;
    }
    return next(fd);
}

int close(int fd) {
    static const auto next = real<int (*)(int)>("close");
    if (hit("close")) {
        next(fd);
        errno = fault.err;
        return -1;
    }
    return next(fd);
}

int rename(const char* from, const char* to) noexcept {
    static const auto next = real<int (*)(const char*, const char*)>("rename");
    if (hit("rename")) {
        errno = fault.err;
        return -1;
    }
    return next(from, to);
}

}  // extern "C"
