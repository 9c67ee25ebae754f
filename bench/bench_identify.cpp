// `bscan identify` over a library of many files: IdentifyFiles, which reads
// only each file's description pass (BScanDevice::ReadDescription), against
// reading every file whole (BScanDevice::Read), the way a search that did
// not know better would go.
//
// The library: 2,000 synthetic devices of 400 boundary cells (a typical
// small device's file, about 40 KB), each with an IDCODE_REGISTER of its
// own (in place of the generator's), in a temporary directory; the value searched for matches the last
// file. Counters: per_file, the mean CPU time per file (in seconds, with
// the usual u and m prefixes), and files.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DeviceGenerator.h"
#include "chain/Identify.h"
#include "device/BScanDevice.h"

namespace {

const int kFiles = 2000;
const int kCells = 400;

std::string IdcodePattern(uint32_t value)
{
    std::string bits;
    for (int bit = 31; bit >= 0; --bit)
        bits += ((value >> bit) & 1u) ? '1' : '0';
    return bits;
}

uint32_t IdcodeOf(int file)
{
    return 0x10000001u | (static_cast<uint32_t>(file) << 12);
}

// The directory, made once and removed at exit.
class Library {
public:
    Library()
    {
        char pattern[] = "/tmp/bscan_bench_identify_XXXXXX";
        m_dir = mkdtemp(pattern) ? pattern : "";
        // The generated device's own IDCODE_REGISTER (four quoted pieces
        // after the attribute line) gives way to one piece per file.
        const GeneratedDevice device = GenerateDevice(kCells);
        const size_t start = device.text.find("attribute IDCODE_REGISTER");
        const size_t first = device.text.find('"', start);
        const size_t end = device.text.find(';', first);
        for (int i = 0; i < kFiles; ++i) {
            std::string text = device.text;
            text.replace(first, end - first, "\"" + IdcodePattern(IdcodeOf(i)) + "\"");
            char name[32];
            std::snprintf(name, sizeof name, "/dev%05d.bsdl", i);
            std::ofstream(m_dir + name, std::ios::binary) << text;
            m_files.push_back(m_dir + name);
        }
    }
    ~Library()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }
    const std::string& Dir() const { return m_dir; }
    const std::vector<std::string>& Files() const { return m_files; }

private:
    std::string m_dir;
    std::vector<std::string> m_files;
};

const Library& TheLibrary()
{
    static Library library;
    return library;
}

void BM_IdentifyDescriptionPass(benchmark::State& state)
{
    const Library& library = TheLibrary();
    std::vector<IdentifyMatch> matches;
    std::string error;
    for (auto _ : state) {
        const long looked = IdentifyFiles(IdcodeOf(kFiles - 1), {library.Dir()}, matches, error);
        if (looked != kFiles || matches.size() != 1)
            state.SkipWithError("the search did not find the one file");
        benchmark::DoNotOptimize(matches.data());
    }
    state.counters["files"] = kFiles;
    state.counters["per_file"] = benchmark::Counter(
        kFiles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_IdentifyWholeRead(benchmark::State& state)
{
    const Library& library = TheLibrary();
    for (auto _ : state) {
        int found = 0;
        for (const std::string& file : library.Files()) {
            BScanDevice device;
            device.Read(file, BSCAN_MESSAGE_DIR);
            found += device.Idcode() && device.Idcode()->Matches(IdcodeOf(kFiles - 1));
        }
        if (found != 1)
            state.SkipWithError("the whole reads did not find the one file");
    }
    state.counters["files"] = kFiles;
    state.counters["per_file"] = benchmark::Counter(
        kFiles, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_IdentifyDescriptionPass)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_IdentifyWholeRead)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
