// Runs a program and, when it ends, writes its peak resident memory in KiB to descriptor 3.
// A child forked from a large test process starts out holding that process's pages, and the
// kernel counts them in its peak; started from this small program instead, the figure is the
// measured program's own. Exits as the program did.
#include <signal.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

int main(int argc, char** argv) {
    if (argc < 2) {
        return 127;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(3);
        execv(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            return 127;
        }
    }
    dprintf(3, "%ld\n", usage.ru_maxrss);
    if (WIFSIGNALED(status)) {
        signal(WTERMSIG(status), SIG_DFL);
        raise(WTERMSIG(status));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 127;
}
