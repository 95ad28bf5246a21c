// A game folder of its own for a test or a measuring tool: a fresh scratch
// folder, the working directory while it lives, where the game finds
// VORNA.DAT, LIST.VRK and Wavs/ as it would beside the program.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bytes_and_shell.h"
#include "scratch_folder.h"

namespace vornakka::test {

class ScratchGameFolder : public ScratchFolder {
public:
    using Rows = std::vector<std::pair<std::string, std::int32_t>>;

    explicit ScratchGameFolder(const std::string& stem = "vornakka-game")
        : ScratchFolder(stem), previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(path());
    }
    ~ScratchGameFolder() {
        std::error_code ec;
        std::filesystem::current_path(previous_, ec);
    }
    ScratchGameFolder(const ScratchGameFolder&) = delete;
    ScratchGameFolder& operator=(const ScratchGameFolder&) = delete;

    // VORNA.DAT holding the jackpot: 4 bytes, the low byte first.
    void writeJackpot(std::int32_t jackpot) const {
        const auto v = static_cast<std::uint32_t>(jackpot);
        std::string bytes;
        for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFFu);
        writeBytes(file("VORNA.DAT"), bytes);
    }
    // LIST.VRK with the rows, best first; names are Windows-1252 bytes and a
    // score is stored plus 1998. No rows: ten nameless rows of 0.
    void writeList(const Rows& rows = Rows(10, {"", 0})) const {
        std::string bytes;
        for (const auto& [name, score] : rows) bytes += name + "\r\n" + std::to_string(score + 1998) + "\r\n";
        writeBytes(file("LIST.VRK"), bytes);
    }
    // Copies the named files and folders of `from` (the committed assets) in.
    void copyIn(const std::string& from, const std::vector<std::string>& names) const {
        namespace fs = std::filesystem;
        for (const std::string& name : names) {
            fs::copy(fs::path(from) / name, file(name), fs::copy_options::recursive);
        }
    }

private:
    std::filesystem::path previous_;
};

}  // namespace vornakka::test
