#include "platform/system/interrupt.h"

#include <unistd.h>

#include <csignal>

namespace velquora {

namespace {
volatile std::sig_atomic_t interrupted = 0;
struct sigaction previous_interrupt {};
struct sigaction previous_terminate {};

extern "C" void RaiseInterruptFlag(int) { interrupted = 1; }
}  // namespace

ScopedInterruptWatch::ScopedInterruptWatch() {
  interrupted = 0;
  struct sigaction action {};
  action.sa_handler = RaiseInterruptFlag;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &previous_interrupt);
  sigaction(SIGTERM, &action, &previous_terminate);
}

ScopedInterruptWatch::~ScopedInterruptWatch() {
  sigaction(SIGINT, &previous_interrupt, nullptr);
  sigaction(SIGTERM, &previous_terminate, nullptr);
}

bool ScopedInterruptWatch::Interrupted() const { return interrupted != 0; }

bool ErrorOutputIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace velquora
