// The metrics file: when "Metrics File" (REG_SZ under the Parameters key) names a file, the
// service writes the monitor's metrics there after every check, as a whole, for a collector such
// as windows_exporter's textfile collector that may read it at any moment.
#pragma once
#include <string>

// Name of the value.
extern const char kMetricsFileValue[];

// "Metrics File"; empty when metrics are off.
std::string MetricsFilePath();
// Writes text as the whole of the file at path: into a new temporary file beside it (whose name
// does not end in ".prom"), renamed over it. Empty on success, else why nothing was written: a
// path that is not a full file name, a folder the service must not write in, a failed write.
std::string WriteMetricsFile(const std::string& path, const std::string& text);
