#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "app/core/knowledge_snapshot.h"
#include "engine/knowledge_base.h"
#include "storage/knowledge_file.h"

namespace wobbet {

// What a shell lends the autosave: its clock and its way to run a save. Every call comes from
// the shell's own thread, and every callback must be made there too.
class AutosaveDriver {
public:
    virtual ~AutosaveDriver() = default;

    // Calls `elapsed` once the delay has passed: a timer in a window, the wait for the next line
    // in a terminal. Never called while a delay runs.
    virtual void StartDelay(std::chrono::milliseconds delay, std::function<void()> elapsed) = 0;
    // The delay's callback is not to be made.
    virtual void CancelDelay() = 0;
    // Runs `save`, on another thread or at once, then hands its message to `finished`. Never
    // called while a save runs.
    virtual void StartSave(std::function<std::string()> save,
                           std::function<void(std::string)> finished) = 0;
    // True when StartSave runs the save at once, on the shell's thread: the tables cannot change
    // during it, so they are written as they are, without a copy.
    virtual bool SavesAtOnce() const { return false; }
    // Returns once the save under way, if any, has run: its message, or nothing when none ran.
    // Its `finished` is then not to be called.
    virtual std::optional<std::string> WaitForSave() = 0;
};

// Keeps what was learned soon after each change, so that a crash loses little, and saves the
// rest at close. The knowledge is copied on the shell's thread, in a snapshot it may share, and
// the copy written with the same atomic save as at close, or written as it is by a driver that
// saves at once. One save runs at a time; a change during a save is saved after it. A failed
// save warns once until a save succeeds again. What was saved is not written again.
class Autosave {
public:
    static constexpr std::chrono::milliseconds kDelay{2000};

    // The driver, the snapshot and the file must outlive this; the snapshot is told of changes by
    // whoever makes them. `warn` tells the user of a failed save.
    Autosave(AutosaveDriver& driver, KnowledgeSnapshot& snapshot, KnowledgeFile& file,
             std::function<void(const std::string&)> warn)
        : driver_(driver), snapshot_(snapshot), file_(file), warn_(std::move(warn)) {}
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;
    ~Autosave();

    // The tables were read at start. Copies them once, where a pause is expected anyway, so that
    // the copies taken later are made over this one, in memory already there: much quicker than
    // in fresh pages, which would pause the window at the first save or filter.
    void Started();
    // The learned records changed.
    void Changed();
    // Waits for a save under way, then writes what no save has kept yet, reporting a failure.
    // Nothing is saved after.
    void Close();

private:
    void DelayPassed();
    void Finished(const std::string& message);
    void Restart();

    AutosaveDriver& driver_;
    KnowledgeSnapshot& snapshot_;
    KnowledgeFile& file_;
    std::function<void(const std::string&)> warn_;
    // Changes are counted: the file holds every one up to savedChange_, and the save under way
    // those up to savingChange_.
    std::uint64_t change_ = 0;
    std::uint64_t savedChange_ = 0;
    std::uint64_t savingChange_ = 0;
    bool delayRunning_ = false;
    bool saving_ = false;
    bool again_ = false;
    bool warned_ = false;
    bool closed_ = false;
};

}  // namespace wobbet
