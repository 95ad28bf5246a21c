// The words a library (OpenAL, libsndfile) gives for a failure, passed on to
// the player as they are; a library that says nothing gets a word of ours.
#pragma once

#include <string>

namespace vornakka::detail {

inline std::string libraryText(const char* text) {
    return text != nullptr && *text != '\0' ? text : "Unknown error code";
}

}  // namespace vornakka::detail
