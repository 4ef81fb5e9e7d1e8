#include "app/posix/stop_signals.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace wobbet {
namespace {

sigset_t Signals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

StopSignals::StopSignals() {
    const sigset_t signals = Signals();
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    descriptor_ = signalfd(-1, &signals, SFD_CLOEXEC);
    if (descriptor_ < 0) {
        sigprocmask(SIG_UNBLOCK, &signals, nullptr);
    }
}

StopSignals::~StopSignals() {
    // The signals stay held back: one that came during the final save must not end the process
    // before it returns.
    if (descriptor_ >= 0) {
        close(descriptor_);
    }
}

}  // namespace wobbet
