// A generated scenario on the longest line the compiler accepts (1,000,000 m): curves, gradients,
// mountain stretches and boards over the whole length, and a train run with stations, signals,
// adhesion and speed-limit changes all along it. The same text every time, so that the benchmarks and
// the comparison script measure the same work.
#pragma once

#include <string>

namespace pack::bench {

// The route description, lines ending in CR LF.
std::string largestRouteSource();

// The train run description on that route, lines ending in CR LF.
std::string largestTrainRunSource();

}  // namespace pack::bench
