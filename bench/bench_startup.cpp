// The program's start-up as a player meets it: a new process, headless on
// llvmpipe, from its start to its first frame (the main menu under the
// splash: resources, fonts, textures and the GL context made). Each run is a
// new process with a Documents directory of its own; the counters are
// medians of the runs.
//
//   start_ms    from starting the process to its first frame (its
//               "timings:" line read back), dynamic loading included
//   loaded_ms   the program's own count: from its loading (static objects
//               made) to the first frame
//   launch_ms   of those, the launching (window, GL, director, the launch
//               picture, fonts, the menu and its textures)
//   frame_ms    of those, from launched to the first frame presented
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Run {
    bool ok = false;
    double start = 0, loaded = 0, launch = 0, frame = 0;
};

// Starts the program for one frame and reads its timings line.
Run runOnce(const std::string& documents) {
    Run run;
    int out[2];
    if (pipe(out) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {NEBULARK_PROGRAM, "--headless", "--timings",   "--frames", "1",
                                     "--seed",         "1",          "--documents", documents};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, NEBULARK_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    FILE* lines = fdopen(out[0], "r");
    char line[512];
    while (lines && std::fgets(line, sizeof line, lines)) {
        if (std::sscanf(line,
                        "timings: first frame %lf ms after the program was loaded (to run %*f "
                        "ms, launching %lf ms, first frame %lf ms)",
                        &run.loaded, &run.launch, &run.frame) == 3) {
            run.start = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                  started)
                            .count();
            run.ok = true;
        }
    }
    if (lines) std::fclose(lines);
    int status = 0;
    waitpid(pid, &status, 0);
    run.ok = run.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

void BM_Startup(benchmark::State& state) {
    std::vector<double> start, loaded, launch, frame;
    for (auto _ : state) {
        const auto documents = std::filesystem::temp_directory_path() /
                               ("nebulark-bench-start-" + std::to_string(getpid()));
        std::filesystem::remove_all(documents);
        const Run run = runOnce(documents.string());
        std::filesystem::remove_all(documents);
        if (!run.ok) {
            state.SkipWithError("the program did not start, draw a frame and end");
            return;
        }
        start.push_back(run.start);
        loaded.push_back(run.loaded);
        launch.push_back(run.launch);
        frame.push_back(run.frame);
    }
    state.counters["start_ms"] = median(start);
    state.counters["loaded_ms"] = median(loaded);
    state.counters["launch_ms"] = median(launch);
    state.counters["frame_ms"] = median(frame);
}
BENCHMARK(BM_Startup)->Iterations(7)->Unit(benchmark::kMillisecond);

} // namespace
