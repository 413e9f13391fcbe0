#pragma once

#include <sys/types.h>

// Whether the process still runs. One that has ended but was never waited for (a writer whose
// parent died, adopted by a parent that does not reap) still answers kill(pid, 0): it counts as
// gone. A process that cannot be looked into counts as running.
bool processAlive(pid_t pid);
