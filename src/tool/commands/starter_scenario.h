// The small scenario `scenario-tool new` writes for an author to start from: a 5 km line between two
// stations with curves, gradients, a mountain stretch, a speed board, a text board, two signals and a
// slow-down. It compiles without an error or a warning, and is written as the pack's own sources are.
#pragma once

#include <span>
#include <string_view>

namespace pack {

std::span<const std::string_view> starterRouteLines();
std::span<const std::string_view> starterTrainRunLines();

}  // namespace pack
