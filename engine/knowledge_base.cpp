#include "knowledge_base.h"

#include <array>

namespace wobbet {
namespace {

constexpr std::array<std::string_view, kSeedResponseCount> SeedResponses = {
    "Hello.",
    "I'm sorry.",
    "Goodbye.",
    "I feel great.",
    "I was written by Zentalo Software.",
    "Quib stands for Query-Understanding Imitation Bot.",
    "What do you want to talk about?",
};

constexpr std::array<std::string_view, kSeedKeywordCount> SeedKeywords = {
    "HELLO", "HI",      "AFTERNOON", "MORNING", "EVENING",    "HEY",        "GREETINGS", "",
    "SHUT",  "QUIET",   "STOP",      "SILENCE", "STUPID",     "DUMB",       "IDIOT",     "",
    "BYE",   "GOODBYE", "CYA",       "QUIT",    "LEAVE",      "EXIT",       "AWAY",      "",
    "HOW",   "TODAY",   "FEELING",   "FEEL",    "GOING",      "",
    "WHO",   "WROTE",   "CREATED",   "MADE",    "CREATOR",    "PROGRAMMED", "PROGRAMMER", "",
    "WHAT",  "QUIB",    "STAND",     "ACRONYM", "",
    "",
};

}  // namespace

void KnowledgeBase::LoadSeedTables() {
    keywords_.assign(SeedKeywords.begin(), SeedKeywords.end());
    responses_.assign(SeedResponses.begin(), SeedResponses.end());
}

void KnowledgeBase::AppendResponse(std::string_view reply) { responses_.emplace_back(reply); }

void KnowledgeBase::AppendKeyword(std::string_view entry) { keywords_.emplace_back(entry); }

}  // namespace wobbet
