#include "app/core/autosave.h"

#include <memory>
#include <new>

namespace wobbet {

Autosave::~Autosave() {
    // The save under way writes to file_, and hands its message to this object.
    driver_.CancelDelay();
    driver_.WaitForSave();
}

void Autosave::Started() {
    if (driver_.SavesAtOnce() || file_.NoSave()) {
        return;
    }
    try {
        snapshot_.Take();
    } catch (const std::bad_alloc&) {
        // The first save copies them, or writes them at close.
    }
}

void Autosave::Changed() {
    ++change_;
    // A knowledge file that was not read whole, or cannot be written, is never written.
    if (closed_ || file_.NoSave()) {
        return;
    }
    if (saving_) {
        again_ = true;
    } else {
        Restart();
    }
}

void Autosave::Restart() {
    if (!delayRunning_) {
        delayRunning_ = true;
        driver_.StartDelay(kDelay, [this] { DelayPassed(); });
    }
}

void Autosave::DelayPassed() {
    delayRunning_ = false;
    if (closed_ || change_ == savedChange_) {
        return;
    }
    std::shared_ptr<const KnowledgeBase> copy;
    try {
        if (!driver_.SavesAtOnce()) {
            copy = snapshot_.Take();
        }
    } catch (const std::bad_alloc&) {
        // No room for a copy: the save at close still writes the tables themselves.
        return;
    }
    saving_ = true;
    savingChange_ = change_;
    // The save lets go of the copy before its message comes back, so that the next save, or a
    // filter, may copy the tables over it.
    driver_.StartSave(
        [this, copy = std::move(copy)]() mutable {
            std::string message = file_.Save(copy ? *copy : snapshot_.Tables());
            copy.reset();
            return message;
        },
        [this](const std::string& message) { Finished(message); });
}

void Autosave::Finished(const std::string& message) {
    saving_ = false;
    if (message.empty()) {
        savedChange_ = savingChange_;
        warned_ = false;
    } else if (!warned_ && !closed_) {
        warned_ = true;
        warn_(message);
    }
    if (again_ && !closed_) {
        again_ = false;
        Restart();
    }
}

void Autosave::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    driver_.CancelDelay();
    delayRunning_ = false;
    if (const std::optional<std::string> message = driver_.WaitForSave()) {
        Finished(*message);
    }
    if (change_ != savedChange_ && !file_.NoSave()) {
        if (const std::string message = file_.Save(snapshot_.Tables()); !message.empty()) {
            warn_(message);
        }
    }
}

}  // namespace wobbet
