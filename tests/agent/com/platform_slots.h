#pragma once

// The vtable slot of every method of the character server's interfaces in the platform's own
// definitions, in the order of agent_server_methods.h.
extern const int kPlatformServerSlots[];
extern const int kPlatformCharacterSlots[];
