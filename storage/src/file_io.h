// Small POSIX file helpers shared by the two data files. Every call is
// checked; failures are thrown as IoError through io_error.h.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vornakka::storage {

// An open file descriptor. close() reports a failing close; the destructor
// closes quietly (it only runs when a failure is already on its way).
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    ~FileDescriptor();

    int get() const noexcept { return fd_; }
    int release() noexcept;
    // Closes and throws the IoError when the close fails.
    void close();

private:
    int fd_ = -1;
};

// Opens an existing file (no O_CREAT); O_CLOEXEC is added.
FileDescriptor openExisting(const std::string& path, int flags);

// Reads up to size bytes, retrying interrupted and partial reads; returns
// fewer than size only at the end of the file.
std::size_t readUpTo(int fd, char* buffer, std::size_t size);

// Writes every byte, retrying interrupted and partial writes. A write that
// makes no progress is "Disk full".
void writeAll(int fd, std::string_view bytes);

// Replaces the file at path with exactly these bytes without ever leaving a
// torn file behind: the bytes go to a fresh temporary file beside it
// ("<name>.tmp-XXXXXX"), which is flushed to disk and then renamed over the
// old file, and the folder is flushed too. On any failure the temporary file
// is removed, the old file is left untouched, and the IoError names the real
// cause. An existing file the user may not write stays protected ("File
// access denied"), as it would be for an in-place rewrite; a new file gets
// the usual 0666 less the umask, an existing one keeps its permission bits.
void replaceFileSafely(const std::string& path, std::string_view bytes);

}  // namespace vornakka::storage
