#include "agent/builtin/character_performance.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace wobbet::builtin {
namespace {

// Reading takes a moment to start and then goes at about 16 characters a second.
constexpr Milliseconds kReadingStart = 1500;
constexpr Milliseconds kReadingPerCharacter = 60;
constexpr Milliseconds kLongestReading = 20000;
// A voice that stops reporting is given up on after this much longer than the text reads.
constexpr Milliseconds kSpeechGrace = 10000;

}  // namespace

CharacterPerformance::CharacterPerformance(SpeakingVoice* voice, Milliseconds now)
    : voice_(voice), epoch_(now) {}

Milliseconds CharacterPerformance::ReadingTime(const std::wstring& text) {
    return std::min(kLongestReading,
                    kReadingStart + kReadingPerCharacter * static_cast<Milliseconds>(text.size()));
}

void CharacterPerformance::Show(bool fast, Milliseconds now) {
    visibleAsAsked_ = true;
    Enqueue({Request::Kind::kShow, fast ? nullptr : figure::FindCharacterAnimation("Show"), {}},
            now);
}

void CharacterPerformance::Hide(Milliseconds now) {
    visibleAsAsked_ = false;
    Enqueue({Request::Kind::kHide, figure::FindCharacterAnimation("Hide"), {}}, now);
}

bool CharacterPerformance::Play(std::string_view animation, Milliseconds now) {
    const figure::CharacterAnimation* found = figure::FindCharacterAnimation(animation);
    if (found == nullptr) {
        return false;
    }
    Enqueue({Request::Kind::kPlay, found, {}}, now);
    return true;
}

void CharacterPerformance::Speak(std::wstring text, Milliseconds now) {
    Enqueue({Request::Kind::kSpeak, nullptr, std::move(text)}, now);
}

void CharacterPerformance::StopSpeaking(Milliseconds now) {
    std::erase_if(queue_,
                  [](const Request& request) { return request.kind == Request::Kind::kSpeak; });
    if (voice_ != nullptr) {
        voice_->Purge();
    }
    if (current_ && current_->kind == Request::Kind::kSpeak) {
        balloonOpen_ = false;
        Finish(now);
    }
}

void CharacterPerformance::StopAnimations(Milliseconds now) {
    std::erase_if(queue_,
                  [](const Request& request) { return request.kind == Request::Kind::kPlay; });
    if (current_ && current_->kind == Request::Kind::kPlay) {
        Finish(now);
    }
}

void CharacterPerformance::OnWord(std::uint32_t stream, std::size_t position, std::size_t length,
                                  Milliseconds now) {
    if (!current_ || current_->kind != Request::Kind::kSpeak || stream_ != stream) {
        return;
    }
    balloonText_ = current_->text.substr(0, std::min(position + length, current_->text.size()));
    lastWord_ = now;
}

void CharacterPerformance::OnSpeechEnded(std::uint32_t stream, Milliseconds now) {
    if (!current_ || current_->kind != Request::Kind::kSpeak || stream_ != stream) {
        return;
    }
    balloonText_ = current_->text;
    balloonCloses_ = now + kBalloonLinger;
    Finish(now);
}

void CharacterPerformance::OnSpeechFailed(Milliseconds now) {
    if (current_ && current_->kind == Request::Kind::kSpeak && stream_) {
        ReadSilently(now);
    }
}

void CharacterPerformance::Advance(Milliseconds now) {
    // Each request ends when it is due, so the next starts then, however late the call.
    while (current_ && due_ && now >= *due_) {
        const Milliseconds ended = *due_;
        if (current_->kind == Request::Kind::kSpeak) {
            // Read to the end, or a voice that went quiet: the whole text shows until it closes.
            balloonText_ = current_->text;
            balloonCloses_ = stream_ ? ended + kBalloonLinger : ended;
        }
        Finish(ended);
    }
    if (balloonCloses_ && now >= *balloonCloses_) {
        balloonOpen_ = false;
        balloonCloses_.reset();
    }
}

CharacterFrame CharacterPerformance::Frame(Milliseconds now) const {
    CharacterFrame frame;
    const bool animating = current_ && current_->animation != nullptr && due_;
    frame.pose = animating ? current_->animation->PoseAtTime(static_cast<int>(now - started_))
                           : figure::IdlePose(static_cast<int>(now - epoch_));
    if (now - lastWord_ < kWordMilliseconds) {
        const double progress = static_cast<double>(now - lastWord_) / kWordMilliseconds;
        frame.pose.mouthOpen =
            std::max(frame.pose.mouthOpen, 0.75 * std::sin(progress * std::numbers::pi));
    }
    frame.visible = shown_;
    frame.balloonVisible = shown_ && balloonOpen_ && (!balloonCloses_ || now < *balloonCloses_);
    frame.balloonText = balloonText_;
    return frame;
}

void CharacterPerformance::Enqueue(Request request, Milliseconds now) {
    queue_.push_back(std::move(request));
    if (!current_) {
        StartNext(now);
    }
}

void CharacterPerformance::StartNext(Milliseconds now) {
    while (!current_ && !queue_.empty()) {
        current_ = std::move(queue_.front());
        queue_.pop_front();
        started_ = now;
        switch (current_->kind) {
            case Request::Kind::kShow:
                if (shown_ || current_->animation == nullptr) {
                    shown_ = true;
                    current_.reset();
                    continue;
                }
                shown_ = true;
                break;
            case Request::Kind::kHide:
            case Request::Kind::kPlay:
                // A hidden character skips its animations.
                if (!shown_) {
                    current_.reset();
                    continue;
                }
                break;
            case Request::Kind::kSpeak:
                StartSpeech(now);
                return;
        }
        due_ = now + current_->animation->milliseconds;
    }
}

void CharacterPerformance::Finish(Milliseconds now) {
    if (current_ && current_->kind == Request::Kind::kHide) {
        shown_ = false;
        balloonOpen_ = false;
    }
    current_.reset();
    due_.reset();
    stream_.reset();
    StartNext(now);
}

void CharacterPerformance::StartSpeech(Milliseconds now) {
    balloonText_.clear();
    balloonOpen_ = shown_;
    balloonCloses_.reset();
    std::uint32_t stream = 0;
    if (voice_ != nullptr && voice_->Speak(current_->text, &stream)) {
        stream_ = stream;
        if (voice_->ReportsEvents()) {
            due_ = now + ReadingTime(current_->text) + kSpeechGrace;
            return;
        }
        balloonText_ = current_->text;
        due_ = now + ReadingTime(current_->text);
        return;
    }
    ReadSilently(now);
}

void CharacterPerformance::ReadSilently(Milliseconds now) {
    stream_.reset();
    balloonText_ = current_->text;
    due_ = now + ReadingTime(current_->text);
}

}  // namespace wobbet::builtin
