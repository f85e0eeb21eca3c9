// The list-file work of an installation against the floor of any crash-safe save of the same
// file: read it whole, write a temporary file beside it, flush that, rename it over the file,
// flush the folder. Each round measures the floor and both sequences on a freshly written,
// flushed file, in a rotating order:
//   install_ratio  Load, FindValueLine for an absent value, AppendInformationsKey, Save
//   fills_ratio    the installers' sequence: the same with FillEmptyKey for slots 1 to 99
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
    for (int slot = 1; withFills && slot <= 99; ++slot) {
        std::string key = std::to_string(slot);
        key.insert(0, 6 - key.size(), '0');
        Check(list.FillEmptyKey("[Informations]", key, "x") == 0, "FillEmptyKey");
    }
    std::string newKey;
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

void BM_ListFileWork(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.Join({"SettingInfo.ini"});
    const std::string list = GeneratedList(state.range(0));
    const std::function<void()> steps[] = {
        [&] { Floor(folder.Path(), path); },
        [&] { Install(path, false); },
        [&] { Install(path, true); },
    };
    std::vector<double> floorMs, installRatio, fillsRatio;
    std::size_t peak = 0, floorPeak = 0;
    int round = 0;
    for (auto _ : state) {
        Measurement measured[3];
        for (int step = 0; step < 3; ++step) {
            const int which = (round + step) % 3;
            PutFile(path, list);
            measured[which] = Measure(steps[which]);
        }
        ++round;
        floorMs.push_back(measured[0].seconds * 1000);
        installRatio.push_back(measured[1].seconds / measured[0].seconds);
        fillsRatio.push_back(measured[2].seconds / measured[0].seconds);
        floorPeak = std::max(floorPeak, measured[0].peakBytes);
        peak = std::max({peak, measured[1].peakBytes, measured[2].peakBytes});
        state.SetIterationTime(measured[2].seconds);
    }
    const double size = static_cast<double>(list.size());
    state.counters["floor_ms"] = Median(floorMs);
    state.counters["install_ratio"] = Median(installRatio);
    state.counters["fills_ratio"] = Median(fillsRatio);
    state.counters["peak_memory"] = static_cast<double>(peak) / size;
    state.counters["floor_memory"] = static_cast<double>(floorPeak) / size;
}

}  // namespace

// Fifteen rounds each, whatever the minimum time asks for.
BENCHMARK(BM_ListFileWork)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(15)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

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
