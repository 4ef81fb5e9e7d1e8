#pragma once

#include <functional>
#include <string>

#include "engine/conversation_engine.h"
#include "engine/conversation_import.h"
#include "storage/file_system.h"

namespace wobbet {

// Asked now and then while a file is read, with how much of it is done (0 to 1); false stops
// the reading, and the result is then marked cancelled.
using ImportProgress = std::function<bool(double done)>;

// Reads a file of conversations into the records it teaches, taught as the engine teaches:
// - a conversation corpus when the name ends in .yml or .yaml: a YAML mapping whose
//   `conversations` key holds a list of conversations, each a list of texts, every text taken
//   as written;
// - a transcript otherwise: one utterance per line, a blank line between conversations, the
//   bytes taken as typed.
// A file that cannot be read, or a corpus that is not shaped so, is refused whole, with a
// notice that says why; so is one that runs out of memory. Touches only the engine's text rules,
// so it may run on another thread than the conversation.
ImportedConversations ReadConversationFile(const std::string& path,
                                           const ConversationEngine& engine,
                                           FileSystem& fileSystem = NativeFileSystem(),
                                           const ImportProgress& progress = {});

}  // namespace wobbet
