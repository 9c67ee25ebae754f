// `bscan check`'s cost against a plain read: the largest vendor file of
// the shared folder (and a synthetic device of 10,000 cells), each checked
// the way the command checks it (BScanDevice::Read: the core read and the
// light pass; then BScanChecker::Check) and read the plain way
// (BScanParser Initialize + Read). The aim: a check costs at most three
// plain reads.
//
// Counters:
//   read_us, check_us  mean CPU time of one plain read and of one check
//   ratio              check_us / read_us, reads and checks alternating in
//                      one process (the allocator's memory reused)
//   best_read_us,      the fastest plain read and the fastest check of the
//   best_check_us,     run (warm cache; the least disturbed by other work
//   best_ratio         on the machine), and their ratio
//   first_read_us,     CPU time of the first plain read and of the first
//   first_check_us,    check in a fresh process each (best of three), as
//   first_ratio        the command does it, and their ratio
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "DeviceGenerator.h"
#include "check/BScanChecker.h"

#ifndef BSCAN_MESSAGE_DIR
#define BSCAN_MESSAGE_DIR "data"
#endif
#ifndef BSCAN_REAL_BSDL_DIR
#define BSCAN_REAL_BSDL_DIR "../shared/bsdl"
#endif

namespace {

double CpuSeconds()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string g_self;

int PlainRead(const char* path)
{
    BScanParser parser;
    int rc = parser.Initialize(path, BSCAN_MESSAGE_DIR);
    if (rc >= 0)
        rc = parser.Read();
    parser.CloseFile();
    return rc;
}

size_t Check(const char* path)
{
    BScanDevice device;
    device.Read(path, BSCAN_MESSAGE_DIR);
    return BScanChecker::Check(device).size();
}

// In a fresh process (this program with --once MODE FILE): the CPU time of
// one plain read or one check, the library's code and message file loaded
// first.
double FreshMicroseconds(const std::string& mode, const std::string& path)
{
    int fds[2];
    if (g_self.empty() || pipe(fds) != 0)
        return 0;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        execl(g_self.c_str(), g_self.c_str(), "--once", mode.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buf[64] = {0};
    ssize_t got = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    double us = 0;
    return got > 0 && sscanf(buf, "%lf", &us) == 1 ? us : 0;
}

int OnceMode(const char* mode, const char* path)
{
    BScanParser warm;
    warm.SetDefaultDir(BSCAN_MESSAGE_DIR);
    double t0 = CpuSeconds();
    if (strcmp(mode, "check") == 0)
        benchmark::DoNotOptimize(Check(path));
    else
        benchmark::DoNotOptimize(PlainRead(path));
    printf("%.1f\n", (CpuSeconds() - t0) * 1e6);
    return 0;
}

void BM_CheckVsRead(benchmark::State& state, std::string path)
{
    if (PlainRead(path.c_str()) != 0) {
        state.SkipWithError("the file does not read");
        return;
    }
    double readSeconds = 0, checkSeconds = 0, bestRead = 0, bestCheck = 0;
    for (auto _ : state) {
        double t0 = CpuSeconds();
        benchmark::DoNotOptimize(PlainRead(path.c_str()));
        double t1 = CpuSeconds();
        benchmark::DoNotOptimize(Check(path.c_str()));
        double t2 = CpuSeconds();
        readSeconds += t1 - t0;
        checkSeconds += t2 - t1;
        if (bestRead == 0 || t1 - t0 < bestRead) bestRead = t1 - t0;
        if (bestCheck == 0 || t2 - t1 < bestCheck) bestCheck = t2 - t1;
        state.SetIterationTime(t2 - t1);
    }
    const double n = static_cast<double>(state.iterations());
    double firstRead = 0, firstCheck = 0;
    for (int run = 0; run < 3; ++run) {
        double r = FreshMicroseconds("read", path), c = FreshMicroseconds("check", path);
        if (r > 0 && (firstRead == 0 || r < firstRead)) firstRead = r;
        if (c > 0 && (firstCheck == 0 || c < firstCheck)) firstCheck = c;
    }
    state.counters["read_us"] = readSeconds / n * 1e6;
    state.counters["check_us"] = checkSeconds / n * 1e6;
    state.counters["ratio"] = readSeconds > 0 ? checkSeconds / readSeconds : 0;
    state.counters["best_read_us"] = bestRead * 1e6;
    state.counters["best_check_us"] = bestCheck * 1e6;
    state.counters["best_ratio"] = bestRead > 0 ? bestCheck / bestRead : 0;
    state.counters["first_read_us"] = firstRead;
    state.counters["first_check_us"] = firstCheck;
    state.counters["first_ratio"] = firstRead > 0 ? firstCheck / firstRead : 0;
}

std::string LargestRealFile()
{
    std::string best;
    off_t bestSize = 0;
    DIR* dir = opendir(BSCAN_REAL_BSDL_DIR);
    if (!dir)
        return best;
    while (dirent* e = readdir(dir)) {
        std::string path = std::string(BSCAN_REAL_BSDL_DIR) + "/" + e->d_name;
        struct stat st {};
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > bestSize) {
            bestSize = st.st_size;
            best = path;
        }
    }
    closedir(dir);
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "--once") == 0)
        return OnceMode(argv[2], argv[3]);
    char self[4096];
    ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    if (len > 0)
        g_self.assign(self, static_cast<size_t>(len));

    char dirTemplate[] = "/tmp/bscan_bench_check_XXXXXX";
    std::string dir = mkdtemp(dirTemplate) ? dirTemplate : "/tmp";
    const std::string synthetic = dir + "/synthetic_10000.bsdl";
    GeneratedDevice device = GenerateDevice(10000);
    if (FILE* f = fopen(synthetic.c_str(), "w")) {
        fwrite(device.text.data(), 1, device.text.size(), f);
        fclose(f);
        benchmark::RegisterBenchmark("BM_CheckVsRead/synthetic/10000", BM_CheckVsRead, synthetic)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    const std::string real = LargestRealFile();
    if (!real.empty())
        benchmark::RegisterBenchmark("BM_CheckVsRead/largest_vendor_file", BM_CheckVsRead, real)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    remove(synthetic.c_str());
    rmdir(dir.c_str());
    return 0;
}
