// Preloaded into the run under valgrind only. libhwy, which libavcodec brings
// in through libjxl, measures its timer's resolution with RDTSCP as soon as it
// is loaded. valgrind 3.19 decodes RDTSCP only where the processor's CPUID
// reports it, and some virtual machines hide it, so there the run died with
// SIGILL before the capture tool's main. Nothing the capture tool does uses
// that figure; this stands in for the measurement with one tick.
#include <cstdint>

namespace hwy::platform {
uint64_t TimerResolution() { return 1; }
}  // namespace hwy::platform
