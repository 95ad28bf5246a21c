// The game's eleven sounds, each as raw samples before levelling.
#pragma once

#include <vector>

namespace wavgen {

using Samples = std::vector<double>;

Samples welcome();
Samples kaynnistys();
Samples lukitus();
Samples voitto();
Samples havio();
Samples koss();
Samples tuplaus();
Samples ruplaus();
Samples vylos();
Samples voitonmaksu();
Samples satan();

}  // namespace wavgen
