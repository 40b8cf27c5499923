// The worst cases of agvsim-batch as whole processes: the diverging cycloid, the longest
// straight path, the steep quadratic whose blue vehicle runs past the path end, the 56.1 m
// circle with and without the CSV, the flat ellipse whose vehicles spend their work, and the
// tiny circle on which type 2 crawls. The counter cpu_ms is the process's CPU time.
// AGV_BATCH=PATH times another build of agvsim-batch.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

/// CPU time of the finished children so far [s].
double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

/// Runs agvsim-batch with the arguments, its output discarded; false when it could not start.
bool runBatch(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    // AGV_BATCH in the environment names another build of the program to time.
    const char* other = std::getenv("AGV_BATCH");
    std::string program = other != nullptr ? other : AGV_BATCH_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid;
}

void BM_BatchProcess(benchmark::State& bench) {
    const std::string csv = std::string(P_tmpdir) + "/agv_bench_circle.csv";
    std::vector<std::string> args;
    switch (bench.range(0)) {
        case 0:
            args = {"--curve",        "2",      "--curve-params", "1.9,47.88", "--error", "1",
                    "--error-values", "10.2,0", "--fn",           "-100"};
            bench.SetLabel("cycloid 48 m, error 1, fn -100 (diverges)");
            break;
        case 1:
            args = {"--curve", "1", "--curve-params", "0,59.9"};
            bench.SetLabel("straight 59.9 m");
            break;
        case 2:
            args = {"--curve", "3", "--curve-params", "10,58",
                    "--error", "1", "--error-values", "2,-1"};
            bench.SetLabel("steep quadratic 58 m, error 1");
            break;
        case 3:
            args = {"--curve", "15", "--curve-params", "4.7,1.9"};
            bench.SetLabel("circle 56.1 m");
            break;
        case 5:
            args = {"--curve", "11", "--curve-params", "0.01,9"};
            bench.SetLabel("flat ellipse 36 m (vehicles lost at the tips, spend their work)");
            break;
        case 6:
            args = {"--curve", "15", "--curve-params", "0.002,9.7"};
            bench.SetLabel("circle of 2 mm, 9.7 turns (type 2 crawls, 2948 records)");
            break;
        default:
            args = {"--curve", "15", "--curve-params", "4.7,1.9", "--csv", csv};
            bench.SetLabel("circle 56.1 m with --csv");
            break;
    }
    const double cpuBefore = childCpuSeconds();
    for (auto _ : bench) {
        if (!runBatch(args)) {
            bench.SkipWithError("agvsim-batch did not start");
            break;
        }
    }
    const double runs = static_cast<double>(bench.iterations());
    if (runs > 0) bench.counters["cpu_ms"] = (childCpuSeconds() - cpuBefore) * 1e3 / runs;
    std::remove(csv.c_str());
}
BENCHMARK(BM_BatchProcess)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
