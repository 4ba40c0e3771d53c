// Time from process start to the main window shown: starts the probe N times
// (offscreen unless QT_QPA_PLATFORM says otherwise) and reports the spread.
//   startup_bench [runs]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Milliseconds from spawning the probe to its "shown" line; < 0 on failure.
double runOnce(const char* probe) {
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(probe), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, probe, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    std::string text;
    char buffer[256];
    double ms = -1;
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, size_t(n));
        if (text.find("shown") != std::string::npos) {
            ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                     .count();
            break;
        }
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return ms;
}

} // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = runOnce(VORELUX_STARTUP_PROBE);
        if (ms < 0) {
            std::fprintf(stderr, "the probe did not show its window\n");
            return 1;
        }
        times.push_back(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "start to main window shown (%s, %d runs): min %.1f ms, median %.1f ms, max %.1f ms\n",
        std::getenv("QT_QPA_PLATFORM"), runs, times.front(), times[times.size() / 2], times.back());
    return 0;
}
