// Runs one storage operation in a process of its own, so tests can run it as
// another user or with a fault-injection library preloaded. Prints
//   OK <value>                 on success (the jackpot, or row 1's score)
//   <kind> <code> <message>    for an IoError, or <kind> <message> otherwise
#include <cstdio>
#include <cstdlib>
#include <string>

#include "vornakka/failure.h"
#include "vornakka/high_score_table.h"
#include "vornakka/jackpot_file.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s jackpot-load|jackpot-save|list-load|list-save PATH [VALUE]\n",
                     argv[0]);
        return 2;
    }
    const std::string op = argv[1];
    const std::string path = argv[2];
    const std::int32_t value = argc > 3 ? static_cast<std::int32_t>(std::strtol(argv[3], nullptr, 10)) : 0;
    try {
        long result = 0;
        if (op == "jackpot-load") {
            result = vornakka::JackpotFile(path).load();
        } else if (op == "jackpot-save") {
            vornakka::JackpotFile(path).save(value);
            result = value;
        } else if (op == "list-load") {
            vornakka::HighScoreTable table(path);
            table.load();
            result = table.row(1).score;
        } else if (op == "list-save") {
            vornakka::HighScoreTable table(path);
            table.insert("PROBE", value);
            table.save();
            result = value;
        } else {
            std::fprintf(stderr, "unknown operation %s\n", op.c_str());
            return 2;
        }
        std::printf("OK %ld\n", result);
    } catch (const vornakka::IoError& e) {
        std::printf("%s %d %s\n", e.kind(), e.code(), e.what());
    } catch (const vornakka::Failure& e) {
        std::printf("%s %s\n", e.kind(), e.what());
    }
    return 0;
}
