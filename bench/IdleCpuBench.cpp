// The CPU time the idle program uses while its measurement is stopped: starts the built program,
// lets it settle for 4 s and reads its CPU time from /proc over the benchmark's interval. Reported
// as the counter "core_percent" (per cent of one core). Run it under a display (xvfb-run).
#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace
{

long long CpuTicks(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    const std::vector<std::string> values((std::istream_iterator<std::string>(fields)),
                                          std::istream_iterator<std::string>());
    if (values.size() < 13)
        return -1;
    return std::stoll(values[11]) + std::stoll(values[12]);
}

void BM_IdleProgramCpu(benchmark::State& state)
{
    if (!std::getenv("DISPLAY"))
    {
        state.SkipWithError("no display (run under xvfb-run)");
        return;
    }
    std::string program = TESSARIN_BINARY;
    std::vector<char*> argv{program.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    {
        state.SkipWithError("the program did not start");
        return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(4));
    double share = 0.0;
    for (auto _ : state)
    {
        const long long before = CpuTicks(pid);
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const long long after = CpuTicks(pid);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        share = static_cast<double>(after - before) / static_cast<double>(sysconf(_SC_CLK_TCK)) / seconds;
    }
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    state.counters["core_percent"] = 100.0 * share;
}

}  // namespace

BENCHMARK(BM_IdleProgramCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
