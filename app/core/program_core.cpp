#include "app/core/program_core.h"

#include <ctime>
#include <new>
#include <utility>

#include "storage/knowledge_merge.h"

namespace wobbet {
namespace {

constexpr std::string_view kForgotNotice = "Forgot: ";
constexpr std::string_view kNothingToForgetNotice = "Nothing learned in this session to forget.";
constexpr std::string_view kEmptyReplyRefusal = "A reply cannot be empty; the record is unchanged.";
constexpr std::string_view kNoKeywordsRefusal =
    "Keywords need at least one word that is not a common one like \"the\" or \"is\"; the "
    "record is unchanged.";
constexpr std::string_view kNotLearnedRefusal =
    "That record is no longer among the learned ones; nothing was changed.";

bool HasWords(const TextRules& rules, std::string text) {
    std::int32_t wordCount = 0;
    rules.Normalize(&text, &wordCount);
    return wordCount > 0;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

ProgramCore::ProgramCore(ShellWindow& window, std::string knowledgePath,
                         AgentServerPort* characterServer, const TextRules& textRules,
                         FileSystem& fileSystem, AutosaveDriver* autosave)
    : window_(window),
      fileSystem_(fileSystem),
      engine_(*this, random_, textRules),
      knowledgeFile_(std::move(knowledgePath), fileSystem),
      snapshot_(engine_.Knowledge()) {
    if (characterServer != nullptr) {
        character_.emplace(*characterServer, random_);
    }
    if (autosave != nullptr) {
        autosave_.emplace(*autosave, snapshot_, knowledgeFile_,
                          [this](const std::string& text) { window_.ShowMessage(text); });
    }
}

std::uint32_t ProgramCore::ClockSeed() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

bool ProgramCore::Start(std::uint32_t seed, std::string_view characterNotFound) {
    // Two programs on one file would each overwrite the other's lessons.
    if (autosave_ && !knowledgeFile_.Claim()) {
        shutDown_ = true;
        window_.ShowMessage(InUseMessage(knowledgeFile_.Path()));
        return false;
    }
    random_.Seed(seed);
    engine_.Knowledge().LoadSeedTables();
    if (character_) {
        character_->StartAgent();
        if (character_->AgentStatus() != AgentLink::kReady) {
            window_.ShowReply(std::string(characterNotFound));
        }
    }
    knowledgeFile_.LoadKnowledge(engine_.Knowledge(), *this);
    if (autosave_) {
        knowledgeFile_.CheckWritable(*this);
        autosave_->Started();
    }
    window_.SetContextEnabled(true);
    return true;
}

template <typename Turn>
void ProgramCore::RunTurn(Turn turn) {
    const KnowledgeBase& knowledge = engine_.Knowledge();
    const std::size_t replies = knowledge.ResponseCount();
    const std::size_t entries = knowledge.KeywordCount();
    turn();
    if (knowledge.ResponseCount() != replies || knowledge.KeywordCount() != entries) {
        Changed();
    }
}

void ProgramCore::Say() {
    RunTurn([this] { engine_.OnSay(); });
}

void ProgramCore::Teach() {
    RunTurn([this] { engine_.OnTeach(); });
}

void ProgramCore::Characters() {
    if (character_) {
        character_->OnCharacters();
    }
}

void ProgramCore::ForgetLastLesson() {
    const std::optional<std::string> reply = engine_.ForgetLastLesson();
    if (!reply) {
        window_.ShowNotice(std::string(kNothingToForgetNotice));
        return;
    }
    Changed();
    window_.ShowNotice(std::string(kForgotNotice) + *reply);
}

void ProgramCore::MergeKnowledgeFile(const std::string& path) {
    const MergeResult result = wobbet::MergeKnowledgeFile(path, engine_.Knowledge(), fileSystem_);
    if (result.counts.added > 0) {
        Changed();
    }
    window_.ShowNotice(MergeNotice(result, path));
}

void ProgramCore::ImportConversations(const ImportedConversations& imported) {
    if (imported.cancelled) {
        return;
    }
    if (!imported.refusal.empty()) {
        window_.ShowNotice(imported.refusal);
        return;
    }
    try {
        const MergeCounts counts = AppendNewRecords(engine_.Knowledge(), imported.records);
        if (counts.added > 0) {
            Changed();
        }
        window_.ShowNotice(ImportedNotice(counts));
    } catch (const std::bad_alloc&) {
        window_.ShowNotice(std::string(kOutOfMemoryMessage));
    }
}

void ProgramCore::DeleteRecords(std::span<const std::size_t> records) {
    if (engine_.Knowledge().RemoveRecords(records) > 0) {
        Changed();
    }
}

bool ProgramCore::EditReply(std::size_t record, std::string reply) {
    if (IsBlank(reply)) {
        return Refuse(kEmptyReplyRefusal);
    }
    return Edited(engine_.Knowledge().ReplaceReply(record, std::move(reply)));
}

bool ProgramCore::EditKeywords(std::size_t record, std::string keywords) {
    // A record may do without context, but it needs a word to be found by.
    if (!HasWords(engine_.Rules(), keywords)) {
        return Refuse(kNoKeywordsRefusal);
    }
    if (!engine_.Knowledge().IsLearnedRecord(record)) {
        return Edited(false);
    }
    return Edited(engine_.Knowledge().ReplaceKeywords(record, std::move(keywords), std::nullopt,
                                                      engine_.Rules()));
}

bool ProgramCore::EditContextKeywords(std::size_t record, std::string contextKeywords) {
    if (!IsBlank(contextKeywords) && !HasWords(engine_.Rules(), contextKeywords)) {
        return Refuse(kNoKeywordsRefusal);
    }
    if (!engine_.Knowledge().IsLearnedRecord(record)) {
        return Edited(false);
    }
    return Edited(engine_.Knowledge().ReplaceKeywords(record, std::nullopt,
                                                      std::move(contextKeywords), engine_.Rules()));
}

bool ProgramCore::Refuse(std::string_view refusal) {
    window_.ShowMessage(std::string(refusal));
    return false;
}

bool ProgramCore::Edited(bool applied) {
    if (!applied) {
        return Refuse(kNotLearnedRefusal);
    }
    Changed();
    return true;
}

void ProgramCore::Changed() {
    snapshot_.Changed();
    if (autosave_) {
        autosave_->Changed();
    }
    window_.KnowledgeChanged();
}

void ProgramCore::Shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    // Writes nothing when loading failed, so a file that was not read whole stays as it was.
    if (autosave_) {
        autosave_->Close();
    } else {
        knowledgeFile_.SaveKnowledge(engine_.Knowledge(), *this);
    }
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
