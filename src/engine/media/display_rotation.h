#pragma once
// Pictures stored turned: phones record what the sensor saw and a display matrix that says how
// to turn it. The converter and the preview both show such pictures upright.
#include <string>
#include <utility>
#include <vector>

struct AVStream;

namespace vc {

// How far clockwise the stream's pictures must be turned to stand upright, in [0, 360); 0 when
// the stream has no display matrix.
double DisplayRotation(const AVStream* st);

// Whether that turn swaps width and height (90 or 270 degrees).
bool TurnSwapsSides(double degrees);

// The filters, in order, that make the turn: (filter name, arguments); none for 0.
std::vector<std::pair<std::string, std::string>> UprightFilters(double degrees);

} // namespace vc
