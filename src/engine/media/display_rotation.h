#pragma once
// Pictures stored turned: phones record what the sensor saw and a display matrix that says how
// to turn it. The converter and the preview both show such pictures upright.
struct AVFilterContext;
struct AVFilterGraph;
struct AVStream;

namespace vc {

// How far clockwise the stream's pictures must be turned to stand upright, in [0, 360); 0 when
// the stream has no display matrix.
double DisplayRotation(const AVStream* st);

// Whether that turn swaps width and height (90 or 270 degrees).
bool TurnSwapsSides(double degrees);

// Adds to `graph` the filters that make the turn, linked after `head`; returns the last of them
// (`head` itself for no turn), or null when a filter cannot be made or linked.
AVFilterContext* LinkUprightFilters(AVFilterGraph* graph, AVFilterContext* head, double degrees);

} // namespace vc
