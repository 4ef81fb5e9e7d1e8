#include <signal.h>
#include <unistd.h>

#include <ctime>
#include <iostream>

#include "app/console/console_host.h"
#include "app/console/console_options.h"
#include "app/console/console_session.h"
#include "app/console/line_reader.h"
#include "app/console/stop_signals.h"
#include "engine/conversation_engine.h"
#include "storage/knowledge_file.h"
#include "storage/program_dir.h"

int main(int argc, char** argv) {
    using namespace wobbet;

    std::string error;
    const std::optional<ConsoleOptions> options = ParseConsoleOptions(
        std::span<const char* const>(argv + 1, static_cast<std::size_t>(argc - 1)), &error);
    if (!options) {
        std::cerr << "wobbet-console: " << error << "\n" << kConsoleUsage;
        return 2;
    }
    if (options->help) {
        std::cout << kConsoleUsage;
        return 0;
    }

    // A reader that went away must not cost what was learned: writes then fail quietly.
    signal(SIGPIPE, SIG_IGN);
    const StopSignals stopSignals;

    ConsoleHost host(std::cout, std::cerr, options->trace);
    CrtRandom random;
    random.Seed(options->seed.value_or(static_cast<std::uint32_t>(std::time(nullptr))));
    ConversationEngine engine(host, random);
    engine.Knowledge().LoadSeedTables();
    KnowledgeFile knowledgeFile(options->knowledgePath.value_or(DefaultKnowledgePath()));
    knowledgeFile.LoadKnowledge(engine.Knowledge(), host);

    LineReader reader(STDIN_FILENO, stopSignals.Descriptor());
    ConsoleSession session(engine, host, reader, std::cout, isatty(STDIN_FILENO) != 0);
    session.Run();
    knowledgeFile.SaveKnowledge(engine.Knowledge(), host);
    return 0;
}
