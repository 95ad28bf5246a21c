#include "vornakka/jackpot_file.h"

#include <fcntl.h>

#include <utility>

#include "file_io.h"
#include "io_error.h"

namespace vornakka {

namespace {

constexpr std::size_t kRecordSize = 4;

}  // namespace

JackpotFile::JackpotFile(std::string path) : path_(std::move(path)) {}

std::int32_t JackpotFile::load() {
    // The file is opened for writing as well, the way the game always has:
    // a write-protected jackpot file is refused at start-up.
    storage::FileDescriptor file = storage::openExisting(path_, O_RDWR);
    unsigned char record[kRecordSize] = {};
    if (storage::readUpTo(file.get(), reinterpret_cast<char*>(record), kRecordSize) < kRecordSize) {
        storage::throwIoCode(storage::kReadBeyondEnd);
    }
    file.close();
    const std::uint32_t bits = std::uint32_t{record[0]} | (std::uint32_t{record[1]} << 8) |
                               (std::uint32_t{record[2]} << 16) | (std::uint32_t{record[3]} << 24);
    return static_cast<std::int32_t>(bits);
}

void JackpotFile::save(std::int32_t jackpot) {
    const auto bits = static_cast<std::uint32_t>(jackpot);
    const char record[kRecordSize] = {
        static_cast<char>(bits & 0xFF),
        static_cast<char>((bits >> 8) & 0xFF),
        static_cast<char>((bits >> 16) & 0xFF),
        static_cast<char>((bits >> 24) & 0xFF),
    };
    storage::replaceFileSafely(path_, std::string_view(record, kRecordSize));
}

}  // namespace vornakka
