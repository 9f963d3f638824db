#include "platform/system/process_list_flag.h"

#include <utility>

namespace velquora {

namespace {
bool& Flag() {
  static bool available = false;  // no process list functions on this system
  return available;
}
}  // namespace

bool ProcessListAvailable() { return Flag(); }

ScopedProcessListFlag::ScopedProcessListFlag(bool available) : previous_(std::exchange(Flag(), available)) {}

ScopedProcessListFlag::~ScopedProcessListFlag() { Flag() = previous_; }

}  // namespace velquora
