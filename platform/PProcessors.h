// How many processors this process may run on: the compressor sizes its worker pool by it.
#pragma once

namespace platform {

// The processors in this process's affinity mask (taskset, cpusets), else those online; at least 1.
[[nodiscard]] unsigned ProcessorCount();

} // namespace platform
