#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace wobbet::testing {

// The built wobbet-console running in a child process, its standard streams on pipes, or its
// standard input and output on a terminal. Every wait gives up after a deadline, so a test that
// goes wrong fails instead of hanging; a child still running at the end is killed.
class ConsoleProcess {
public:
    struct Result {
        std::string out;
        std::string errors;
        // The exit status, or -1 when the program did not exit normally.
        int status = -1;
    };

    enum class Input { kPipe, kTerminal };

    ConsoleProcess(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingDirectory, Input input = Input::kPipe);
    ~ConsoleProcess();
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    void Write(const std::string& text);
    void CloseInput();
    void Signal(int signal);
    // Reads standard output until it holds the text; false when the deadline passes first.
    bool WaitForOutput(const std::string& text);
    // Closes the input if still open and collects everything until the program has exited.
    Result Finish();

private:
    // Reads what is ready on the output pipes, waiting at most until the deadline; false once
    // both have reached their end or the deadline has passed.
    bool ReadSome(std::chrono::steady_clock::time_point deadline);

    pid_t child_ = -1;
    int input_ = -1;
    int out_ = -1;
    int errors_ = -1;
    Result result_;
};

// Runs wobbet-console once with the input on a pipe.
ConsoleProcess::Result RunConsole(const std::vector<std::string>& arguments,
                                  const std::string& input, const std::string& workingDirectory);

}  // namespace wobbet::testing
