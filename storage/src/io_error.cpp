#include "io_error.h"

#include <cerrno>

#include "vornakka/failure.h"

namespace vornakka::storage {

int ioCodeForErrno(int err) noexcept {
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            return kFileNotFound;
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL:
            return kInvalidFilename;
        case EMFILE:
        case ENFILE:
            return kTooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
        case EISDIR:
            return kAccessDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return kDiskFull;
        default:
            return kUnmappedErrnoBase + err;
    }
}

std::string ioMessage(int code) {
    switch (code) {
        case kFileNotFound:
            return "File not found";
        case kInvalidFilename:
            return "Invalid filename";
        case kTooManyOpenFiles:
            return "Too many open files";
        case kAccessDenied:
            return "File access denied";
        case kReadBeyondEnd:
            return "Read beyond end of file";
        case kDiskFull:
            return "Disk full";
        case kInvalidNumericInput:
            return "Invalid numeric input";
        default:
            return "I/O error " + std::to_string(code);
    }
}

void throwIoCode(int code) {
    throw IoError(code, ioMessage(code));
}

void throwErrno(int err) {
    throwIoCode(ioCodeForErrno(err));
}

}  // namespace vornakka::storage
