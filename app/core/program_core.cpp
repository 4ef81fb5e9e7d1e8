#include "app/core/program_core.h"

#include <ctime>
#include <utility>

namespace wobbet {

ProgramCore::ProgramCore(ShellWindow& window, std::string knowledgePath,
                         AgentServerPort* characterServer, FileSystem& fileSystem)
    : window_(window),
      engine_(*this, random_),
      knowledgeFile_(std::move(knowledgePath), fileSystem) {
    if (characterServer != nullptr) {
        character_.emplace(*characterServer, random_);
    }
}

std::uint32_t ProgramCore::ClockSeed() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

void ProgramCore::Start(std::uint32_t seed, std::string_view characterNotFound) {
    random_.Seed(seed);
    engine_.Knowledge().LoadSeedTables();
    if (character_) {
        character_->StartAgent();
        if (character_->AgentStatus() != AgentLink::kReady) {
            window_.ShowReply(std::string(characterNotFound));
        }
    }
    knowledgeFile_.LoadKnowledge(engine_.Knowledge(), *this);
    window_.SetContextEnabled(true);
}

void ProgramCore::Say() {
    engine_.OnSay();
}

void ProgramCore::Teach() {
    engine_.OnTeach();
}

void ProgramCore::Characters() {
    if (character_) {
        character_->OnCharacters();
    }
}

void ProgramCore::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    // Writes nothing when loading failed, so a file that was not read whole stays as it was.
    knowledgeFile_.SaveKnowledge(engine_.Knowledge(), *this);
    if (character_) {
        character_->StopAgent();
    }
}

std::int16_t ProgramCore::AgentStatus() const {
    return character_ ? character_->AgentStatus() : AgentLink::kServerFailed;
}

void ProgramCore::Display(const std::string& text) {
    if (character_) {
        character_->Display(text, *this);
    } else {
        window_.ShowReply(text);
    }
}

void ProgramCore::PlayAnimation(const std::string& name) {
    if (character_) {
        character_->PlayAnimation(name);
    }
    window_.ShowAnimation(name);
}

void ProgramCore::PrepareCharacter() {
    if (character_) {
        character_->PrepareCharacter();
    }
}

}  // namespace wobbet
