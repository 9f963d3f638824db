#pragma once
// Ctrl+C and termination requests for long tool runs: while a ScopedInterruptWatch
// lives, SIGINT and SIGTERM only raise a flag that the run polls, so it can stop
// between two pictures and clean up after itself.
namespace velquora {

class ScopedInterruptWatch {
public:
  ScopedInterruptWatch();
  ~ScopedInterruptWatch();  // puts the previous handlers back
  ScopedInterruptWatch(const ScopedInterruptWatch&) = delete;
  ScopedInterruptWatch& operator=(const ScopedInterruptWatch&) = delete;

  bool Interrupted() const;
};

// Whether stderr is a terminal, where progress reports belong.
bool ErrorOutputIsTerminal();

}  // namespace velquora
