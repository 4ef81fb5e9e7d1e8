// Reads the platform's definitions in their C form, whose vtables are plain structs, so that
// offsetof gives each method's slot. Kept apart from our own declarations of the interfaces.
#define CINTERFACE
#include "tests/agent/com/platform_slots.h"

#include <agtsvr.h>

#include <cstddef>

#include "tests/agent/com/agent_server_methods.h"

#define SERVER_SLOT(method) static_cast<int>(offsetof(IAgentExVtbl, method) / sizeof(void*)),
#define CHARACTER_SLOT(method) \
    static_cast<int>(offsetof(IAgentCharacterExVtbl, method) / sizeof(void*)),

const int kPlatformServerSlots[] = {WOBBET_AGENT_EX_METHODS(SERVER_SLOT)};
const int kPlatformCharacterSlots[] = {WOBBET_AGENT_CHARACTER_EX_METHODS(CHARACTER_SLOT)};
