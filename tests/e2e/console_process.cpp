#include "tests/e2e/console_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace wobbet::testing {
namespace {

constexpr auto kDeadline = std::chrono::seconds(20);

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void CloseIfOpen(int* fd) {
    if (*fd >= 0) {
        close(*fd);
        *fd = -1;
    }
}

[[noreturn]] void Exec(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (chdir(workingDirectory.c_str()) == 0) {
        execv(program.c_str(), argv.data());
    }
    _exit(127);
}

}  // namespace

ConsoleProcess::ConsoleProcess(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& workingDirectory, Input input) {
    // A program that has already gone must fail the test's checks, not end the test program.
    signal(SIGPIPE, SIG_IGN);
    int errorPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe");
    }
    if (input == Input::kTerminal) {
        // Standard input and output are the terminal; what is typed is echoed into the output.
        int terminal = -1;
        child_ = forkpty(&terminal, nullptr, nullptr, nullptr);
        if (child_ == 0) {
            dup2(errorPipe[1], STDERR_FILENO);
            Exec(program, arguments, workingDirectory);
        }
        input_ = terminal;
        out_ = dup(terminal);
    } else {
        int inPipe[2];
        int outPipe[2];
        if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe");
        }
        child_ = fork();
        if (child_ == 0) {
            dup2(inPipe[0], STDIN_FILENO);
            dup2(outPipe[1], STDOUT_FILENO);
            dup2(errorPipe[1], STDERR_FILENO);
            Exec(program, arguments, workingDirectory);
        }
        close(inPipe[0]);
        close(outPipe[1]);
        input_ = inPipe[1];
        out_ = outPipe[0];
    }
    close(errorPipe[1]);
    errors_ = errorPipe[0];
    if (child_ < 0) {
        throw std::runtime_error("fork");
    }
}

ConsoleProcess::~ConsoleProcess() {
    if (child_ > 0) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
    CloseIfOpen(&input_);
    CloseIfOpen(&out_);
    CloseIfOpen(&errors_);
}

void ConsoleProcess::Write(const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t got = write(input_, text.data() + written, text.size() - written);
        if (got <= 0) {
            return;
        }
        written += static_cast<std::size_t>(got);
    }
}

void ConsoleProcess::CloseInput() {
    // A terminal's input and output are one descriptor: end its input with Ctrl+D instead.
    if (input_ >= 0 && isatty(input_)) {
        Write("\x04");
    } else {
        CloseIfOpen(&input_);
    }
}

void ConsoleProcess::Signal(int signal) {
    kill(child_, signal);
}

bool ConsoleProcess::WaitForOutput(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (result_.out.find(text) == std::string::npos) {
        if (!ReadSome(deadline)) {
            return false;
        }
    }
    return true;
}

bool ConsoleProcess::ReadSome(std::chrono::steady_clock::time_point deadline) {
    pollfd waits[2] = {{out_, POLLIN, 0}, {errors_, POLLIN, 0}};
    if (out_ < 0 && errors_ < 0) {
        return false;
    }
    const int ready = poll(waits, 2, MillisecondsUntil(deadline));
    if (ready <= 0) {
        return ready < 0 && errno == EINTR;
    }
    char buffer[4096];
    int* descriptors[2] = {&out_, &errors_};
    std::string* texts[2] = {&result_.out, &result_.errors};
    for (int i = 0; i < 2; ++i) {
        if (waits[i].revents == 0) {
            continue;
        }
        const ssize_t got = read(*descriptors[i], buffer, sizeof buffer);
        if (got > 0) {
            texts[i]->append(buffer, static_cast<std::size_t>(got));
        } else {
            // The end of a pipe, or EIO from a terminal whose program has gone.
            CloseIfOpen(descriptors[i]);
        }
    }
    return true;
}

ConsoleProcess::Result ConsoleProcess::Finish() {
    if (input_ >= 0 && !isatty(input_)) {
        CloseIfOpen(&input_);
    }
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (ReadSome(deadline)) {
    }
    if (out_ >= 0 || errors_ >= 0) {
        return result_;  // Still running at the deadline: the destructor kills it.
    }
    int status = 0;
    if (waitpid(child_, &status, 0) == child_) {
        child_ = -1;
        result_.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result_;
}

ConsoleProcess::Result RunConsole(const std::vector<std::string>& arguments,
                                  const std::string& input, const std::string& workingDirectory) {
    ConsoleProcess process(WOBBET_CONSOLE, arguments, workingDirectory);
    process.Write(input);
    return process.Finish();
}

}  // namespace wobbet::testing
