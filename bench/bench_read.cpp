// Whole-file reading speed: Initialize + Read of synthetic devices of
// 1,000, 10,000 and 50,000 boundary cells and of the largest vendor file of
// the shared folder (when it is there), each against its floor: reading the
// same file's lines with fgets and nothing else.
//
// Also: bscan_bench_read --write CELLS FILE writes one synthetic device.
//
// Counters of each benchmark:
//   read_us, floor_us   mean CPU time of one read and of one fgets pass
//   ratio               read_us / floor_us
//   floor64_us, ratio64 the same fgets pass with a 64 KiB stream buffer, the
//                       size the library gives its own stream (the library
//                       also takes most lines straight from that buffer),
//                       and read_us against it: the stricter comparison
//   best_floor_us,      the fastest of 30 consecutive fgets passes and the
//   best_read_us,       fastest of 30 consecutive reads (each pass after one
//   best_ratio          of its own kind, so the file and the code are warm),
//                       and their ratio: the honest floor. The interleaved
//                       ratios above set a read against an fgets pass that
//                       follows a device read and finds the cache colder
//   ns_per_cell         read time divided by the number of boundary cells
//   file_kb             size of the file
//   peak_rss_kb         peak resident memory growth of one read, measured in
//                       a fresh process (this program run with --rss FILE)
//   rss_per_byte        peak_rss_kb relative to the file size
//   first_read_us,      CPU time of the first read and of the first fgets
//   first_floor_us,     pass in that fresh process, and their ratio (best of
//   first_ratio         three processes). The timed loop above reuses memory
//                       the allocator already holds; a host that reads one
//                       device once also pays for mapping every page its
//                       model touches (and the first use of the library's
//                       code), which these figures show. That cost depends
//                       much on the machine: a page fault costs from a
//                       fraction of a microsecond to over ten in some
//                       virtual machines.
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DeviceGenerator.h"
#include "parser/BScanParser.h"

#ifndef BSCAN_MESSAGE_DIR
#define BSCAN_MESSAGE_DIR "data"
#endif
#ifndef BSCAN_REAL_BSDL_DIR
#define BSCAN_REAL_BSDL_DIR "../shared/bsdl"
#endif

namespace {

// The machine is shared: time is this thread's CPU time (user and system),
// so that other processes' load does not enter the figures.
double CpuSeconds() {
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string g_self;  // this program, for the memory measurement

// Reads the file as a host does; returns Read's result.
int ReadDevice(const char* path, int* cells) {
    BScanParser parser;
    int rc = parser.Initialize(path, BSCAN_MESSAGE_DIR);
    if (rc >= 0) rc = parser.Read();
    if (cells) *cells = parser.GetPinMap() ? parser.GetPinMap()->GetBScanLength() : 0;
    parser.CloseFile();
    return rc;
}

// The floor: every line of the file through fgets with the reader's count.
size_t ReadLines(const char* path, size_t streamBuffer = 0) {
    FILE* f = fopen(path, "r");
    if (!f) return 0;
    static char buffer[64 * 1024];
    if (streamBuffer > 0 && streamBuffer <= sizeof buffer) setvbuf(f, buffer, _IOFBF, streamBuffer);
    char line[1024];
    size_t n = 0;
    while (fgets(line, 255, f)) n += line[0] != 0;
    fclose(f);
    return n;
}

long StatusKb(const char* field) {
    FILE* f = fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    size_t len = strlen(field);
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, field, len) == 0) {
            kb = atol(line + len);
            break;
        }
    }
    fclose(f);
    return kb;
}

// What one read costs in a fresh process.
struct FreshRead {
    long rssKb = -1;
    double floorUs = 0;
    double readUs = 0;
};

// In a fresh process: the growth of the peak resident set over one read,
// and the CPU times of the first fgets pass and of the first read.
FreshRead MeasureFreshRead(const std::string& path) {
    FreshRead result;
    if (g_self.empty()) return result;
    int fds[2];
    if (pipe(fds) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        execl(g_self.c_str(), g_self.c_str(), "--rss", path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buf[128] = {0};
    ssize_t got = read(fds[0], buf, sizeof buf - 1);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got <= 0 || sscanf(buf, "%ld %lf %lf", &result.rssKb, &result.floorUs, &result.readUs) != 3)
        return FreshRead();
    return result;
}

int MeasureRssMode(const char* path) {
    // Load the library's code and the message file once, so that only the
    // device's own memory is counted.
    BScanParser warm;
    warm.SetDefaultDir(BSCAN_MESSAGE_DIR);
    long before = StatusKb("VmRSS:");
    double t0 = CpuSeconds();
    ReadLines(path);
    double t1 = CpuSeconds();
    ReadDevice(path, nullptr);
    double t2 = CpuSeconds();
    long peak = StatusKb("VmHWM:");
    printf("%ld %.1f %.1f\n", peak - before, (t1 - t0) * 1e6, (t2 - t1) * 1e6);
    return 0;
}

// The fastest of `passes` consecutive runs of `pass`, in seconds.
template <typename Pass>
double Fastest(int passes, Pass pass) {
    double best = 0;
    for (int i = 0; i < passes; ++i) {
        double t0 = CpuSeconds();
        pass();
        double t = CpuSeconds() - t0;
        if (i == 0 || t < best) best = t;
    }
    return best;
}

void BM_ReadFile(benchmark::State& state, std::string path) {
    int cells = 0;
    if (ReadDevice(path.c_str(), &cells) != 0 || cells <= 0) {
        state.SkipWithError("the file does not read");
        return;
    }
    double readSeconds = 0, floorSeconds = 0, floor64Seconds = 0;
    for (auto _ : state) {
        double t0 = CpuSeconds();
        benchmark::DoNotOptimize(ReadLines(path.c_str()));
        double t1 = CpuSeconds();
        benchmark::DoNotOptimize(ReadDevice(path.c_str(), nullptr));
        double t2 = CpuSeconds();
        benchmark::DoNotOptimize(ReadLines(path.c_str(), 64 * 1024));
        double t3 = CpuSeconds();
        floorSeconds += t1 - t0;
        readSeconds += t2 - t1;
        floor64Seconds += t3 - t2;
        state.SetIterationTime(t2 - t1);
    }
    double n = static_cast<double>(state.iterations());
    const double bestFloor = Fastest(30, [&] { benchmark::DoNotOptimize(ReadLines(path.c_str())); });
    const double bestRead = Fastest(30, [&] { benchmark::DoNotOptimize(ReadDevice(path.c_str(), nullptr)); });
    struct stat st {};
    stat(path.c_str(), &st);
    FreshRead fresh = MeasureFreshRead(path);
    for (int run = 1; run < 3; ++run) {
        FreshRead again = MeasureFreshRead(path);
        if (again.rssKb >= 0 && (fresh.rssKb < 0 || again.readUs < fresh.readUs)) fresh = again;
    }
    long rss = fresh.rssKb;
    state.counters["read_us"] = readSeconds / n * 1e6;
    state.counters["floor_us"] = floorSeconds / n * 1e6;
    state.counters["ratio"] = floorSeconds > 0 ? readSeconds / floorSeconds : 0;
    state.counters["floor64_us"] = floor64Seconds / n * 1e6;
    state.counters["ratio64"] = floor64Seconds > 0 ? readSeconds / floor64Seconds : 0;
    state.counters["best_floor_us"] = bestFloor * 1e6;
    state.counters["best_read_us"] = bestRead * 1e6;
    state.counters["best_ratio"] = bestFloor > 0 ? bestRead / bestFloor : 0;
    state.counters["ns_per_cell"] = readSeconds / n * 1e9 / cells;
    state.counters["cells"] = cells;
    state.counters["file_kb"] = st.st_size / 1024.0;
    state.counters["peak_rss_kb"] = static_cast<double>(rss);
    state.counters["rss_per_byte"] = st.st_size > 0 ? rss * 1024.0 / st.st_size : 0;
    state.counters["first_read_us"] = fresh.readUs;
    state.counters["first_floor_us"] = fresh.floorUs;
    state.counters["first_ratio"] = fresh.floorUs > 0 ? fresh.readUs / fresh.floorUs : 0;
}

std::string LargestRealFile() {
    std::string best;
    off_t bestSize = 0;
    DIR* dir = opendir(BSCAN_REAL_BSDL_DIR);
    if (!dir) return best;
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

int main(int argc, char** argv) {
    // Helper modes: the memory measurement, and writing one synthetic device
    // to a file (for profiling it with other tools).
    if (argc == 3 && strcmp(argv[1], "--rss") == 0) return MeasureRssMode(argv[2]);
    if (argc == 4 && strcmp(argv[1], "--write") == 0) {
        GeneratedDevice device = GenerateDevice(atoi(argv[2]));
        FILE* f = fopen(argv[3], "w");
        if (!f) return 1;
        fwrite(device.text.data(), 1, device.text.size(), f);
        return fclose(f) == 0 ? 0 : 1;
    }
    char self[4096];
    ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    if (len > 0) g_self.assign(self, static_cast<size_t>(len));

    // The synthetic devices, written once into a temporary directory.
    char dirTemplate[] = "/tmp/bscan_bench_XXXXXX";
    std::string dir = mkdtemp(dirTemplate) ? dirTemplate : "/tmp";
    std::vector<std::string> written;
    for (int cells : {1000, 10000, 50000}) {
        GeneratedDevice device = GenerateDevice(cells);
        std::string path = dir + "/synthetic_" + std::to_string(cells) + ".bsdl";
        FILE* f = fopen(path.c_str(), "w");
        if (!f) continue;
        fwrite(device.text.data(), 1, device.text.size(), f);
        fclose(f);
        written.push_back(path);
        benchmark::RegisterBenchmark(("BM_Read/synthetic/" + std::to_string(cells)).c_str(),
                                     BM_ReadFile, path)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    std::string real = LargestRealFile();
    if (!real.empty()) {
        benchmark::RegisterBenchmark("BM_Read/largest_vendor_file", BM_ReadFile, real)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const std::string& path : written) remove(path.c_str());
    rmdir(dir.c_str());
    return 0;
}
