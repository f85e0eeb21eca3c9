// The installer's whole list-file sequence (Load, FindValueLine, FillEmptyKey for keys 1 to
// 99, AppendInformationsKey, Save) on generated list files, against one plain read and
// write of the same file. The counter "ratio" is the sequence's time over the plain one.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ini/INIRead.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

// A list whose first 99 slots are all taken, so that every step runs in full.
std::string GeneratedList(long lines) {
    std::string text = "[Version]\r\nFormat=2\r\n[Informations]\r\n";
    for (long number = 1; number <= lines - 5; ++number) {
        std::string key = std::to_string(number);
        key.insert(0, key.size() < 6 ? 6 - key.size() : 0, '0');
        text += key + "=profile " + key + "\r\n";
    }
    return text + "\r\n[Other]\r\nx=1\r\n";
}

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double PlainReadAndWrite(const std::string& path) {
    const Clock::time_point start = Clock::now();
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return Seconds(start);
}

double InstallerSequence(const std::string& path) {
    const Clock::time_point start = Clock::now();
    CINIRead list;
    list.Load(path);
    std::string line;
    list.FindValueLine("[Informations]", "\x92\xCA\x92\xA0\x83}\x83\x8B\x83`", line);
    for (int slot = 1; slot <= 99; ++slot) {
        std::string key = std::to_string(slot);
        key.insert(0, 6 - key.size(), '0');
        if (list.FillEmptyKey("[Informations]", key, "x") > 0) {
            break;
        }
    }
    std::string newKey;
    list.AppendInformationsKey("x", newKey);
    list.Save(path);
    return Seconds(start);
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void BM_ListFileSequence(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.Join({"SettingInfo.ini"});
    const std::string list = GeneratedList(state.range(0));
    std::vector<double> plain, sequence;
    for (auto _ : state) {
        WriteBytes(path, list);
        plain.push_back(PlainReadAndWrite(path));
        WriteBytes(path, list);
        const double seconds = InstallerSequence(path);
        sequence.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    state.counters["plain_ms"] = Median(plain) * 1000;
    state.counters["ratio"] = Median(sequence) / Median(plain);
}

}  // namespace

BENCHMARK(BM_ListFileSequence)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
