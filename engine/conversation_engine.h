#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/conversation_host.h"
#include "engine/knowledge_base.h"
#include "engine/random_generator.h"
#include "engine/response_selector.h"
#include "engine/text_rules.h"

namespace wobbet {

inline constexpr std::string_view kMisalignmentMessage = "Storage error: Space misalignment.";
inline constexpr std::string_view kOutOfMemoryMessage = "Storage error: Out of memory.";

// The knowledge base, the conversation memory and the mood, with the turns that use them.
// The program owns one; it reaches the window and the character only through its host.
class ConversationEngine {
public:
    static constexpr std::int16_t kInitialMood = 1;
    static constexpr std::int16_t kHighestMood = 2;

    // The host, the generator and the text rules must outlive the engine.
    ConversationEngine(ConversationHost& host, RandomGenerator& random, const TextRules& rules)
        : host_(host), random_(random), rules_(rules) {}

    // Handler of Say: answers the input box, learning from it when unsure.
    void OnSay();
    // Handler of Teach...: stores the pair the Teach dialog collects.
    void OnTeach();

    // Returns the winning record and sets *learn when the winner explains too little of the
    // phrase. The phrase is normalised and wordCount is at least 1.
    std::int32_t SelectResponse(const std::string& phrase, std::int32_t wordCount, bool* learn);

    // Adds a record: the reply keyed on the previous reply's words, with the phrase before it as
    // context when Context is ticked. The record is one of this session's lessons.
    void Learn(std::string reply);

    // Appends to `records` the record Teach stores for the pair: the reply with its line breaks
    // made spaces and its first letter capitalised, keyed on the phrase's words, with no context
    // section. False, appending nothing, when the phrase has no words or the reply is empty. Reads
    // nothing the turns change, so it may run on another thread while they go on.
    bool AppendTaughtRecord(KnowledgeBase& records, std::string phrase, std::string reply) const;

    // While off, a Say turn that would learn stores nothing but otherwise runs as it would, with
    // the same draws, animations and mood. Teach still stores: a taught pair is asked for.
    void SetLearningEnabled(bool enabled) { learningEnabled_ = enabled; }
    bool LearningEnabled() const { return learningEnabled_; }

    // Removes the newest lesson of this session still in the tables and returns its reply as it
    // is stored; repeated, it walks back through the lessons. Nothing when none is left. The
    // conversation memory, the mood, the Context state and the draws stay as they are.
    std::optional<std::string> ForgetLastLesson();

    // The rules every phrase and reply of this conversation goes by.
    const TextRules& Rules() const { return rules_; }
    KnowledgeBase& Knowledge() { return knowledge_; }
    const KnowledgeBase& Knowledge() const { return knowledge_; }
    ConversationMemory& Memory() { return memory_; }
    const ConversationMemory& Memory() const { return memory_; }
    std::int16_t Mood() const { return mood_; }

private:
    // Normalises a phrase whose words a taught reply is keyed on; returns its word count.
    std::int32_t NormalizeTaughtPhrase(std::string* phrase) const;
    void MoveMood(bool learned);

    ConversationHost& host_;
    RandomGenerator& random_;
    const TextRules& rules_;
    KnowledgeBase knowledge_;
    ConversationMemory memory_;
    ResponseSelector selector_;
    std::int16_t mood_ = kInitialMood;
    bool learningEnabled_ = true;
    // Serial numbers of the records learned in this session, oldest first.
    std::vector<std::uint32_t> lessons_;
};

}  // namespace wobbet
