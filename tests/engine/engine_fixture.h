#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {

// An engine over a recording host and scripted draws; tables start empty unless seeded.
class EngineTest : public ::testing::Test {
protected:
    RecordingHost host;
    ScriptedRandom random;
    ConversationEngine engine{host, random};

    void Seed() { engine.Knowledge().LoadSeedTables(); }

    void AddRecord(std::string_view reply, std::initializer_list<std::string_view> keywords) {
        engine.Knowledge().AppendResponse(reply);
        for (std::string_view keyword : keywords) {
            engine.Knowledge().AppendKeyword(keyword);
        }
        engine.Knowledge().AppendKeyword("");
    }

    void Remember(std::string lastResponse, std::string lastInput = "") {
        Normalize(&lastResponse, &engine.Memory().LastResponseWords);
        engine.Memory().LastResponse = lastResponse;
        std::int32_t unused = 0;
        Normalize(&lastInput, &unused);
        engine.Memory().LastInput = lastInput;
    }

    struct Selected {
        std::int32_t index;
        bool learn;
    };

    Selected Select(std::string phrase) {
        std::int32_t wordCount = 0;
        Normalize(&phrase, &wordCount);
        Selected selected{0, false};
        selected.index = engine.SelectResponse(phrase, wordCount, &selected.learn);
        return selected;
    }
};

}  // namespace wobbet::testing
