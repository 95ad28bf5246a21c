#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "io_error.h"

namespace vornakka::storage {

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

int FileDescriptor::release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileDescriptor::close() {
    // On Linux the descriptor is gone after close() whatever it returns, so
    // it is never retried (a retry could close someone else's descriptor).
    const int fd = release();
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throwErrno(errno);
}

FileDescriptor openExisting(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) throwErrno(errno);
    return FileDescriptor(fd);
}

std::size_t readUpTo(int fd, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throwErrno(errno);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void writeAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            throwErrno(errno);
        }
        if (n == 0) throwIoCode(kDiskFull);
        done += static_cast<std::size_t>(n);
    }
}

namespace {

// fsync that accepts file systems which cannot sync at all.
int syncDescriptor(int fd) {
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0 && (errno == EINVAL || errno == ENOTSUP || errno == EOPNOTSUPP)) return 0;
    return rc;
}

mode_t currentUmask() {
    // The game has one thread; setting and restoring the mask is safe here.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A data file reached through a symbolic link is replaced where it really
// lives, so the link survives the save just as it survives an in-place
// rewrite. A dangling link is replaced by the new file.
std::string realTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

class TempFile {
public:
    explicit TempFile(const std::string& target) {
        std::string pattern = target + ".tmp-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) throwErrno(errno);
        fd_ = FileDescriptor(fd);
        name_.assign(name.data());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!name_.empty()) ::unlink(name_.c_str());
    }

    FileDescriptor& fd() { return fd_; }
    const std::string& name() const { return name_; }
    // After a successful rename there is nothing left to remove.
    void renamed() { name_.clear(); }

private:
    FileDescriptor fd_;
    std::string name_;
};

}  // namespace

void replaceFileSafely(const std::string& path, std::string_view bytes) {
    const std::string target = realTarget(path);

    // Rewriting the file in place would first open it for writing; keep the
    // answers that open gives: a write-protected file is "File access
    // denied", a folder in its place too. The file itself is not touched.
    mode_t mode = 0666 & ~currentUmask();
    {
        int fd;
        do {
            fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0) {
            struct stat st {};
            const bool known = ::fstat(fd, &st) == 0;
            ::close(fd);
            if (known) mode = st.st_mode & 07777;
        } else if (errno != ENOENT) {
            throwErrno(errno);
        }
    }

    TempFile temp(target);
    if (::fchmod(temp.fd().get(), mode) != 0) throwErrno(errno);
    writeAll(temp.fd().get(), bytes);
    if (syncDescriptor(temp.fd().get()) != 0) throwErrno(errno);
    temp.fd().close();
    if (::rename(temp.name().c_str(), target.c_str()) != 0) throwErrno(errno);
    temp.renamed();

    // The rename is durable only once the folder is on disk as well. A
    // folder that cannot be opened for this (no read permission) is left to
    // the system; a folder that fails to sync is reported, although the new
    // contents are already in place.
    int dirFd;
    do {
        dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (dirFd < 0 && errno == EINTR);
    if (dirFd >= 0) {
        FileDescriptor folder(dirFd);
        if (syncDescriptor(folder.get()) != 0) throwErrno(errno);
        folder.close();
    }
}

}  // namespace vornakka::storage
