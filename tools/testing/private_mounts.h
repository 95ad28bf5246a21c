// A shell command in a private mount namespace, where a test may mount a tiny
// tmpfs or a read-only bind that nobody else sees and that goes with it. That
// needs root: root runs it directly, a player who is not root through sudo
// where sudo asks no password (as it asks none to install the test packages
// on such a machine).
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vornakka::test {

// "unshare -m" or "sudo -n unshare -m", to put before "sh -c ..."; empty when
// neither works here.
inline std::string privateMountNamespace() {
    std::string prefix = ::geteuid() == 0 ? "unshare -m" : "sudo -n unshare -m";
    const std::string probe = prefix + " sh -c 'mount -t tmpfs -o size=16k tmpfs /mnt' >/dev/null 2>&1";
    if (std::system(probe.c_str()) != 0) prefix.clear();
    return prefix;
}

}  // namespace vornakka::test
