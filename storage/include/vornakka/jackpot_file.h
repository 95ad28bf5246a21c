// VORNA.DAT: the jackpot as one little-endian int32. Bytes after the first
// four are ignored when reading and never written.
#pragma once

#include <cstdint>
#include <string>

#include "vornakka/services.h"

namespace vornakka {

class JackpotFile : public JackpotStore {
public:
    explicit JackpotFile(std::string path = "VORNA.DAT");
    // Opens the existing file for reading and writing and reads one record.
    std::int32_t load() override;
    // Replaces the file with one record, safely: the old file stays intact
    // until the new one is complete on disk.
    void save(std::int32_t jackpot) override;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace vornakka
