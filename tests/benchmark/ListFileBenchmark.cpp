// The list-file work of an installation against the floor of any crash-safe save of the same
// file: read it whole, write a temporary file beside it, flush that, rename it over the file,
// flush the folder. Each round measures the floor and both sequences on a freshly written,
// flushed file, in a rotating order:
//   install_ratio  Load, FindValueLine for an absent value, AppendInformationsKey, Save
//   fills_ratio    the installers' sequence: the same with FillFreeKey for slots 1 to 99
// and, each against its own floor, on lists of other shapes:
//   uninstall_ratio  Load, FindValueEntries, EmptyOrRemoveEntries and Save on a list whose
//                    every entry carries the profile (an added one loses its line)
//   empty_keys       the installers' sequence on a list of nothing but distinct empty keys,
//                    just under the list file's size limit
// Each ratio is the median over the rounds of that round's time over its floor. peak_memory
// is the most bytes the sequences held at once through operator new, over the file's size
// (floor_memory the same for the floor).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "ini/INIRead.h"
#include "ini/SlotNumber.h"
#include "support/TempFolder.h"

namespace {

// Bytes held through operator new, counted as the allocator hands them out. The benchmark
// runs on one thread.
std::size_t g_liveBytes = 0;
std::size_t g_peakBytes = 0;

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    g_liveBytes += malloc_usable_size(block);
    g_peakBytes = std::max(g_peakBytes, g_liveBytes);
    return block;
}

void Release(void* block) {
    if (block != nullptr) {
        g_liveBytes -= malloc_usable_size(block);
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* block) noexcept {
    Release(block);
}
void operator delete[](void* block) noexcept {
    Release(block);
}
void operator delete(void* block, std::size_t) noexcept {
    Release(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    Release(block);
}

namespace {

using Clock = std::chrono::steady_clock;

// A list whose first 99 slots are all taken, so that every step runs in full. Every other
// value is Japanese text with a long-vowel mark, whose trail byte is '['.
std::string GeneratedList(long lines) {
    std::string text = "[Version]\r\nFormat=2\r\n[Informations]\r\n";
    for (long number = 1; number <= lines - 5; ++number) {
        std::string key = std::to_string(number);
        key.insert(0, key.size() < 6 ? 6 - key.size() : 0, '0');
        const char* name = number % 2 == 0 ? "\x83X\x83L\x83\x83\x83i\x81[ " : "profile ";
        text += key + "=" + name + key + "\r\n";
    }
    return text + "\r\n[Other]\r\nx=1\r\n";
}

void Check(bool condition, const char* what) {
    if (!condition) {
        throw std::runtime_error(what);
    }
}

void WriteWhole(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        Check(written > 0, "write");
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

// The file as each measurement finds it: written and flushed, so that no earlier write-back
// is pending, and in the page cache.
void PutFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Check(fd >= 0, "open");
    WriteWhole(fd, bytes.data(), bytes.size());
    Check(::fsync(fd) == 0 && ::close(fd) == 0, "fsync");
}

std::string DirectoryOf(const std::string& path) {
    return path.substr(0, path.rfind('/'));
}

void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(fd >= 0 && ::fsync(fd) == 0 && ::close(fd) == 0, "folder fsync");
}

// What any crash-safe save of the file costs, in plain system calls.
void Floor(const std::string& folder, const std::string& path) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    Check(in >= 0 && ::fstat(in, &status) == 0, "open");
    const std::size_t size = static_cast<std::size_t>(status.st_size);
    const std::unique_ptr<char[]> bytes(new char[size]);
    for (std::size_t done = 0; done < size;) {
        const ssize_t count = ::read(in, bytes.get() + done, size - done);
        Check(count > 0, "read");
        done += static_cast<std::size_t>(count);
    }
    ::close(in);
    const std::string temporary = path + ".tmp";
    const int out =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    Check(out >= 0, "create");
    WriteWhole(out, bytes.get(), size);
    Check(::fsync(out) == 0 && ::close(out) == 0, "fsync");
    Check(::rename(temporary.c_str(), path.c_str()) == 0, "rename");
    FlushFolder(folder);
}

const char kAbsentValue[] = "\x92\xCA\x92\xA0\x83}\x83\x8B\x83`";

void Install(const std::string& path, bool withFills) {
    CINIRead list;
    Check(list.Load(path) == 0, "Load");
    std::string line;
    Check(list.FindValueLine("[Informations]", kAbsentValue, line) == 0, "FindValueLine");
    std::string newKey;
    Check(!withFills || list.FillFreeKey("[Informations]", SlotKeys(1, 99, 6), "x", newKey) == 0,
          "FillFreeKey");
    Check(list.AppendInformationsKey("x", newKey) == 1, "AppendInformationsKey");
    Check(list.Save(path) == 0, "Save");
}

struct Measurement {
    double seconds = 0;
    std::size_t peakBytes = 0;
};

Measurement Measure(const std::function<void()>& work) {
    const std::size_t before = g_liveBytes;
    g_peakBytes = before;
    const Clock::time_point start = Clock::now();
    work();
    Measurement measured;
    measured.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    measured.peakBytes = g_peakBytes - before;
    return measured;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The uninstall's edits: an entry of the filled slots gets an empty value, any other loses
// its line.
void Uninstall(const std::string& path) {
    CINIRead list;
    Check(list.Load(path) == 0, "Load");
    const std::vector<CINIRead::ValueEntry> entries =
        list.FindValueEntries("[Informations]", kAbsentValue);
    Check(!entries.empty(), "FindValueEntries");
    std::vector<bool> removes;
    for (const CINIRead::ValueEntry& entry : entries) {
        removes.push_back(LeadingNumber(entry.key) > 99);
    }
    list.EmptyOrRemoveEntries(entries, removes);
    Check(list.Save(path) == 0, "Save");
}

// Every entry carries the profile.
std::string RegisteredList(long lines) {
    std::string text = "[Informations]\r\n";
    for (long number = 1; number <= lines - 3; ++number) {
        text += FormatSlotKey(number, 6) + "=" + kAbsentValue + "\r\n";
    }
    return text + "[Other]\r\nx=1\r\n";
}

// Nothing but distinct empty keys, none of them a slot's, up to just under the size limit.
std::string EmptyKeysList(long) {
    constexpr std::size_t kBelowLimit = (64u << 20) - 64;
    std::string text = "[Informations]\r\n";
    for (long number = 1; text.size() + 16 < kBelowLimit; ++number) {
        text += "k" + std::to_string(number) + "=\r\n";
    }
    return text;
}

struct Results {
    std::vector<double> floorMs, firstRatio, secondRatio;
    std::size_t peak = 0, floorPeak = 0;
};

// Rounds of the floor and the sequences on the same freshly written list, in a rotating order.
Results MeasureRounds(benchmark::State& state, const std::string& path, const std::string& list,
                      const std::vector<std::function<void()>>& sequences) {
    std::vector<std::function<void()>> steps = {[&] { Floor(DirectoryOf(path), path); }};
    steps.insert(steps.end(), sequences.begin(), sequences.end());
    Results results;
    int round = 0;
    for (auto _ : state) {
        std::vector<Measurement> measured(steps.size());
        for (std::size_t step = 0; step < steps.size(); ++step) {
            const std::size_t which = (round + step) % steps.size();
            PutFile(path, list);
            measured[which] = Measure(steps[which]);
        }
        ++round;
        results.floorMs.push_back(measured[0].seconds * 1000);
        results.firstRatio.push_back(measured[1].seconds / measured[0].seconds);
        if (measured.size() > 2) {
            results.secondRatio.push_back(measured[2].seconds / measured[0].seconds);
        }
        results.floorPeak = std::max(results.floorPeak, measured[0].peakBytes);
        for (std::size_t step = 1; step < measured.size(); ++step) {
            results.peak = std::max(results.peak, measured[step].peakBytes);
        }
        state.SetIterationTime(measured.back().seconds);
    }
    return results;
}

void Report(benchmark::State& state, const Results& results, std::size_t size, const char* first,
            const char* second) {
    state.counters["floor_ms"] = Median(results.floorMs);
    state.counters[first] = Median(results.firstRatio);
    if (second != nullptr) {
        state.counters[second] = Median(results.secondRatio);
    }
    state.counters["peak_memory"] = static_cast<double>(results.peak) / static_cast<double>(size);
    state.counters["floor_memory"] =
        static_cast<double>(results.floorPeak) / static_cast<double>(size);
}

void BM_ListFileWork(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.Join({"SettingInfo.ini"});
    const std::string list = GeneratedList(state.range(0));
    const Results results = MeasureRounds(
        state, path, list, {[&] { Install(path, false); }, [&] { Install(path, true); }});
    Report(state, results, list.size(), "install_ratio", "fills_ratio");
}

void BM_Uninstall(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.Join({"SettingInfo.ini"});
    const std::string list = RegisteredList(state.range(0));
    const Results results = MeasureRounds(state, path, list, {[&] { Uninstall(path); }});
    Report(state, results, list.size(), "uninstall_ratio", nullptr);
}

void BM_EmptyKeys(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.Join({"SettingInfo.ini"});
    const std::string list = EmptyKeysList(0);
    const Results results = MeasureRounds(state, path, list, {[&] { Install(path, true); }});
    Report(state, results, list.size(), "empty_keys", nullptr);
}

}  // namespace

// Fifteen rounds each, whatever the minimum time asks for; five of the largest list.
BENCHMARK(BM_ListFileWork)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Uninstall)
    ->Arg(100000)
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmptyKeys)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // As in a new process, every large block is fresh memory from the system, in every round:
    // no block freed by an earlier round is handed out again.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
