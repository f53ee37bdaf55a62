#pragma once
// How many decoder and encoder threads a new conversion request gets, from the configuration's
// PerformanceOptions.ThreadCount. 0 stays 0: the libraries then choose frame or slice threads for
// the machine themselves, which is what a user who never touched the setting should get.

namespace vc {

// A single conversion: the configured count (0 automatic, else 1 to 32).
int ConversionThreadCount(int configured);

// Each task of a batch of `files` files that runs at most `slot_count` conversions at once: the
// configured count when set; otherwise the processors shared among the conversions that run side by
// side (at least one each), so that no core idles and none is oversubscribed; a batch that runs one
// conversion at a time leaves the choice to the libraries (0).
int BatchThreadCount(int configured, int processors, int files, int slot_count);

// Conversions a task session runs at once when `slot_count` (0: the default pool size) is given.
int SlotsAtOnce(int slot_count);

} // namespace vc
