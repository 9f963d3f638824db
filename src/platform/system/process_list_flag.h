#pragma once
// The process-list flag of the resource probe: set when the system offers the process
// list functions (a snapshot of the running processes and a walk over it). The minimal
// bitmap's economy mode follows it. This system has no such functions: the flag is off.

namespace velquora {

bool ProcessListAvailable();

// Sets the flag for the lifetime of this object, for tests of the code that follows it.
class ScopedProcessListFlag {
public:
  explicit ScopedProcessListFlag(bool available);
  ~ScopedProcessListFlag();
  ScopedProcessListFlag(const ScopedProcessListFlag&) = delete;
  ScopedProcessListFlag& operator=(const ScopedProcessListFlag&) = delete;

private:
  bool previous_;
};

}  // namespace velquora
