// The end of a capture run: what it says it wrote, its exit status, and the
// key=value summary for scripts.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/capture/FrameSink.h"
#include "tools/capture/Options.h"
#include "tools/capture/Outputs.h"

namespace capture {

using Summary = std::vector<std::pair<std::string, std::string>>;

// Says what the run wrote (or why nothing) and gives the exit status.
int report(const CaptureOptions& o, Outputs& out, FrameSink& sink, int programStatus, Summary& summary);

// Prints the summary as key=value lines, the peak memory and the status last.
void printSummary(const Summary& summary, int status);

}  // namespace capture
