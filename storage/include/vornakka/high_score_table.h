// LIST.VRK: the ten best cash-out scores, 20 CRLF text lines, a name line and
// a score line (score + 1998) per row. Names are Windows-1252 bytes.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string>

#include "vornakka/services.h"

namespace vornakka {

inline constexpr int kHighScoreRows = 10;
inline constexpr std::size_t kMaxNameLength = 10;
inline constexpr std::int32_t kScoreOffset = 1998;
inline constexpr std::int32_t kMaxStorableScore = INT32_MAX - kScoreOffset;

class HighScoreTable : public HighScoreStore {
public:
    explicit HighScoreTable(std::string path = "LIST.VRK");

    // Reads the file; a failure leaves the rows read before it changed and
    // the others as they were.
    void load() override;
    // Rewrites the file safely (temporary file, fsync, rename).
    void save() const;

    bool qualifies(std::int32_t score) const override;
    const HighScoreEntry& row(int index) const override;  // 1..10
    const std::array<HighScoreEntry, kHighScoreRows>& rows() const { return rows_; }

    // Ranks (name, score) in below any equal score; drops row 10. The name is
    // cut to 10 bytes and control characters become blanks; a score above
    // kMaxStorableScore enters as kMaxStorableScore.
    void insert(const Text& name, std::int32_t score);

    const std::string& path() const { return path_; }

private:
    static std::int32_t storable(std::int32_t score);

    std::string path_;
    std::array<HighScoreEntry, kHighScoreRows> rows_{};
};

}  // namespace vornakka
