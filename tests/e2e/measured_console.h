#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

namespace wobbet::testing {

// What one run of the real wobbet-console gave: its exit, its two output streams, and what it
// cost. A run still going at its deadline is killed and reported as timed out.
struct MeasuredRun {
    bool timedOut = false;
    int exitStatus = -1;  // the exit code, or -1 when a signal ended the program
    std::string out;
    std::string err;
    double seconds = 0;
    long peakMiB = -1;
};

// wobbet-console in a child process, started through the peak memory launcher so that its time
// and peak memory are its own, and killable at any instant. Input of any size is fed while the
// output is read, so neither side can block the other.
class MeasuredConsole {
public:
    // Starts the program with the arguments; its standard input is fed `input` and then closed.
    // With captureOutput false both output streams go to /dev/null.
    MeasuredConsole(const std::vector<std::string>& arguments, std::string input,
                    bool captureOutput = true)
        : input_(std::move(input)) {
        // A program that has already gone must fail the test's checks, not end the test.
        signal(SIGPIPE, SIG_IGN);
        int in[2];
        int out[2] = {-1, -1};
        int err[2] = {-1, -1};
        int peak[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(peak, O_CLOEXEC) != 0 ||
            (captureOutput && (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0))) {
            return;
        }
        std::vector<std::string> command = {WOBBET_PEAK_MEMORY_LAUNCHER, WOBBET_CONSOLE};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : command) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);

        start_ = std::chrono::steady_clock::now();
        pid_ = fork();
        if (pid_ == 0) {
            // Its own process group, so that a kill reaches the launcher and the program at once.
            setpgid(0, 0);
            dup2(in[0], STDIN_FILENO);
            if (captureOutput) {
                dup2(out[1], STDOUT_FILENO);
                dup2(err[1], STDERR_FILENO);
            } else {
                const int null = open("/dev/null", O_WRONLY);
                dup2(null, STDOUT_FILENO);
                dup2(null, STDERR_FILENO);
            }
            if (peak[1] == 3) {
                fcntl(3, F_SETFD, 0);
            } else {
                dup2(peak[1], 3);
            }
            execv(argv[0], argv.data());
            _exit(127);
        }
        setpgid(pid_, pid_);
        close(in[0]);
        close(peak[1]);
        peak_ = peak[0];
        in_ = in[1];
        fcntl(in_, F_SETFL, O_NONBLOCK);
        if (captureOutput) {
            close(out[1]);
            close(err[1]);
            out_ = out[0];
            err_ = err[0];
        }
        // A small input is in the pipe before the program can read; a large one is fed later.
        Feed();
    }

    ~MeasuredConsole() {
        if (pid_ > 0 && !reaped_) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {in_, out_, err_, peak_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    MeasuredConsole(const MeasuredConsole&) = delete;
    MeasuredConsole& operator=(const MeasuredConsole&) = delete;

    bool Started() const { return pid_ > 0; }

    // Sends SIGKILL right away, whatever the program is doing, and waits for it to end.
    void Kill() {
        kill(-pid_, SIGKILL);
        Finish(std::chrono::seconds(60));
    }

    // Feeds the input and collects the output until the program ends or the deadline passes.
    MeasuredRun Finish(std::chrono::seconds deadline) {
        const auto until = start_ + deadline;
        while (in_ >= 0 || out_ >= 0 || err_ >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                run_.timedOut = true;
                kill(-pid_, SIGKILL);
                break;
            }
            pollfd waits[3] = {{in_, POLLOUT, 0}, {out_, POLLIN, 0}, {err_, POLLIN, 0}};
            if (poll(waits, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) {
                break;
            }
            if (waits[0].revents != 0) {
                Feed();
            }
            Drain(waits[1], &out_, &run_.out);
            Drain(waits[2], &err_, &run_.err);
        }
        CloseInput();
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
        run_.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        run_.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::string peak;
        Drain({peak_, POLLIN, POLLIN}, &peak_, &peak);
        if (!peak.empty()) {
            run_.peakMiB = std::stol(peak) / 1024;
        }
        return run_;
    }

private:
    void CloseInput() {
        if (in_ >= 0) {
            close(in_);
            in_ = -1;
        }
    }

    void Feed() {
        if (in_ < 0) {
            return;
        }
        const ssize_t written = write(in_, input_.data() + fed_, input_.size() - fed_);
        if (written > 0) {
            fed_ += static_cast<std::size_t>(written);
        }
        // A program that stopped reading has what it took; the rest is not an error.
        if (fed_ == input_.size() || (written < 0 && errno != EAGAIN && errno != EINTR)) {
            CloseInput();
        }
    }

    static void Drain(const pollfd& wait, int* fd, std::string* text) {
        if (*fd < 0 || wait.revents == 0) {
            return;
        }
        char buffer[65536];
        const ssize_t got = read(*fd, buffer, sizeof buffer);
        if (got > 0) {
            text->append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            close(*fd);
            *fd = -1;
        }
    }

    std::string input_;
    std::size_t fed_ = 0;
    std::chrono::steady_clock::time_point start_;
    pid_t pid_ = -1;
    bool reaped_ = false;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    int peak_ = -1;
    MeasuredRun run_;
};

// Runs the program to its end with the given input.
inline MeasuredRun RunMeasured(const std::vector<std::string>& arguments, std::string input,
                               std::chrono::seconds deadline = std::chrono::seconds(120)) {
    MeasuredConsole console(arguments, std::move(input));
    return console.Finish(deadline);
}

}  // namespace wobbet::testing
