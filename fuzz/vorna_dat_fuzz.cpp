// Fuzzes the VORNA.DAT loader and its save: a file of four bytes or more
// loads as its first four bytes, little-endian; a shorter one fails with
// "Read beyond end of file"; saving what was loaded writes exactly those four
// bytes, leaves no temporary file, and loads back the same jackpot.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "vornakka/failure.h"
#include "vornakka/jackpot_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vornakka;
    fuzz::Scratch& scratch = fuzz::Scratch::get();
    const std::string path = scratch.file("VORNA.DAT");
    fuzz::writeInput(path, data, size);

    JackpotFile file(path);
    std::int32_t jackpot = 0;
    try {
        jackpot = file.load();
    } catch (const IoError& e) {
        FUZZ_CHECK(size < 4, std::string("a file of ") + std::to_string(size) + " bytes failed: " + e.what());
        FUZZ_CHECK(e.code() == 100 && std::string(e.what()) == "Read beyond end of file",
              std::string("short file failed with ") + e.what());
        return 0;
    }
    FUZZ_CHECK(size >= 4, "a file of " + std::to_string(size) + " bytes loaded");
    const std::uint32_t bits = std::uint32_t{data[0]} | std::uint32_t{data[1]} << 8 | std::uint32_t{data[2]} << 16 |
                               std::uint32_t{data[3]} << 24;
    FUZZ_CHECK(jackpot == static_cast<std::int32_t>(bits), "wrong jackpot " + std::to_string(jackpot));

    file.save(jackpot);
    const std::string saved = fuzz::readAll(path);
    FUZZ_CHECK(saved == std::string(reinterpret_cast<const char*>(data), 4), "saved bytes differ from the first four");
    FUZZ_CHECK(fuzz::strayFiles(scratch.folder(), {"VORNA.DAT"}).empty(), "the save left a file behind");
    FUZZ_CHECK(JackpotFile(path).load() == jackpot, "the saved jackpot loads differently");
    return 0;
}
