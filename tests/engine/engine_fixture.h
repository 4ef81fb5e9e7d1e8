#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/conversation_engine.h"
#include "engine/normalization.h"
#include "tests/support/case_table.h"
#include "tests/support/knowledge_records.h"
#include "tests/support/recording_host.h"
#include "tests/support/scripted_random.h"

namespace wobbet::testing {

// An engine over a recording host and scripted draws, reading text byte by byte; its tables
// start empty.
class EngineTest : public ::testing::Test {
protected:
    RecordingHost host;
    ScriptedRandom random;
    ByteTextRules rules;
    ConversationEngine engine{host, random, rules};

    // Sets the memory as a turn that answered lastResponse to lastInput would leave it.
    void Remember(std::string lastResponse, std::string lastInput = "") {
        rules.Normalize(&lastResponse, &engine.Memory().LastResponseWords);
        std::int32_t unused = 0;
        rules.Normalize(&lastInput, &unused);
        engine.Memory().LastResponse = lastResponse;
        engine.Memory().LastInput = lastInput;
    }
};

class SeededEngineTest : public EngineTest {
protected:
    void SetUp() override { engine.Knowledge().LoadSeedTables(); }
};

}  // namespace wobbet::testing
