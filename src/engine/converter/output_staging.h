#pragma once
// Where an output is written until it is complete, and the sweep of what killed runs left there.
#include <string>

namespace vc {

// "dir/.name.<pid>-<run>.vconv-part": hidden, beside the target, never taken for an output, and
// new for every run of the process. A '%' of a picture-sequence pattern becomes '_' (the image
// muxer would number the folder too).
std::string TemporaryOutputName(const std::string& target);
// Removes the temporary outputs of `target` left by runs whose process is gone (a killed run);
// those of live processes, this one included, stay. Names without a run number (earlier versions)
// count too. Returns how many were removed.
int RemoveAbandonedTemporaries(const std::string& target);
// The same for every target in `folder`.
int SweepAbandonedTemporaries(const std::string& folder);

} // namespace vc
