#pragma once

namespace wobbet {

// Turns Ctrl+C, a closed terminal and a polite kill into something to read: while an object
// lives, SIGINT, SIGHUP and SIGTERM are held back from their default of ending the process at
// once, and their arrival makes Descriptor() readable, so that the program ends like at the end
// of its input and keeps what it learned.
class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Readable once one of the signals has arrived; -1 if they could not be caught, in which
    // case they keep their default effect.
    int Descriptor() const { return descriptor_; }

private:
    int descriptor_ = -1;
};

}  // namespace wobbet
