#pragma once

#include <cstdint>
#include <string>

#include "agent/agent_server_port.h"
#include "engine/conversation_host.h"
#include "engine/random_generator.h"

namespace wobbet {

// The program's link with its character: start-up, the character half of ConversationHost, the
// Characters... button and tear-down, over a server port.
//
// The program core owns one and forwards the character operations of its ConversationHost to
// it. At start, after seeding the generator and installing the built-in records, it calls
// StartAgent() and has the shell's not-found text shown when AgentStatus() is not kReady;
// Characters... calls OnCharacters(); after saving the knowledge file at the end it calls
// StopAgent().
//
// When start-up fails every request is silently skipped, so the program works on without a
// character. Everything runs on the shell's GUI thread.
class AgentLink {
public:
    static constexpr std::int16_t kReady = 255;
    static constexpr std::int16_t kInitializeFailed = 0;
    static constexpr std::int16_t kServerFailed = 1;
    static constexpr std::int16_t kCharacterFailed = 2;

    // The port and the generator must outlive the link.
    AgentLink(AgentServerPort& port, RandomGenerator& random) : port_(port), random_(random) {}

    AgentLink(const AgentLink&) = delete;
    AgentLink& operator=(const AgentLink&) = delete;

    // Loads the default character, places it at a random spot (two draws, top then left), shows
    // it and has it greet. The first failing step sets AgentStatus and ends start-up. Runs once.
    void StartAgent();

    // Speaks the text when ready, then hands it to host.ShowReply in every case.
    void Display(const std::string& text, ConversationHost& host);
    void PlayAnimation(const std::string& name);
    // Shows the character when it is hidden, else cuts off its current speech.
    void PrepareCharacter();
    // Opens the server's own window for the default character.
    void OnCharacters();

    // Releases what start-up obtained, as far as it got. Runs once, after StartAgent; later
    // requests are skipped.
    void StopAgent();

    // kReady, or the stage that failed: kInitializeFailed, kServerFailed or kCharacterFailed.
    std::int16_t AgentStatus() const { return status_; }

private:
    bool Ready() const { return started_ && !stopped_ && status_ == kReady; }
    void Place();

    AgentServerPort& port_;
    RandomGenerator& random_;
    std::int16_t status_ = kReady;
    std::int32_t characterId_ = 0;
    bool haveCharacter_ = false;
    bool started_ = false;
    bool stopped_ = false;
};

}  // namespace wobbet
