#include "engine/conversation_engine.h"

namespace wobbet {
namespace {

constexpr std::string_view kEmptyPhraseText =
    "Type something in the text box.  Then click the 'Say' button.";
constexpr std::string_view kEmptyTeachReplyText = "Type something for my response.";

}  // namespace

void ConversationEngine::OnSay() {
    host_.PrepareCharacter();
    const std::string raw = host_.ReadInput();
    std::string phrase = raw;
    std::int32_t wordCount = 0;
    rules_.Normalize(&phrase, &wordCount);
    host_.ClearInput();
    if (wordCount == 0) {
        host_.Display(std::string(kEmptyPhraseText));
        return;
    }

    bool learn = false;
    const std::int32_t index = SelectResponse(phrase, wordCount, &learn);
    std::size_t replyIndex = static_cast<std::size_t>(index);
    if (learn) {
        host_.PlayAnimation("Acknowledge");
        if (learningEnabled_) {
            Learn(raw);
        }
        if (mood_ == 0 && knowledge_.ResponseCount() > 0) {
            // The reply just learned, if any, can itself be drawn.
            replyIndex = static_cast<std::size_t>(random_.Next()) % knowledge_.ResponseCount();
        }
    }
    // A table with more groups than replies can only come from damage; the learning branch is
    // guarded too, since reading past the table would crash.
    if (replyIndex >= knowledge_.ResponseCount()) {
        host_.ShowMessage(std::string(kMisalignmentMessage));
        return;
    }
    const std::string reply(knowledge_.Response(replyIndex));

    memory_.LastResponse = reply;
    host_.Display(reply);
    rules_.Normalize(&memory_.LastResponse, &memory_.LastResponseWords);
    memory_.LastInput = phrase;
    MoveMood(learn);
}

void ConversationEngine::MoveMood(bool learned) {
    // Only the crossings into the lowest and the highest mood are shown.
    if (learned && mood_ > 0) {
        --mood_;
        if (mood_ == 0) {
            host_.PlayAnimation("Sad");
        }
    } else if (!learned && mood_ < kHighestMood) {
        ++mood_;
        if (mood_ == kHighestMood) {
            host_.PlayAnimation("Pleased");
        }
    }
}

void ConversationEngine::OnTeach() {
    const TeachDialogResult dialog = host_.RunTeachDialog();
    if (dialog.result == TeachDialogResult::kCancel) {
        return;
    }
    std::string phrase = dialog.phrase;
    NormalizeTaughtPhrase(&phrase);
    memory_.LastResponse = phrase;
    if (dialog.reply.empty()) {
        host_.Display(std::string(kEmptyTeachReplyText));
        return;
    }
    host_.SetContextEnabled(false);
    Learn(dialog.reply);
    memory_.LastResponse.clear();
    memory_.LastInput.clear();
    host_.PlayAnimation("Acknowledge");
}

}  // namespace wobbet
