// Reading and saving the settings file as its size grows, up to the largest file the store
// reads (16 MiB), in the shapes that load slowest or biggest: many small sections, one section
// of many entries, many bare lines, and an 8-bit file that is no UTF-8. The files live in an
// in-memory store, so the figures are the loader's and writer's own, without the disk.
//
// Besides the time, each case reports the peak of heap bytes in use while it ran (counted by
// this program's operator new) as a multiple of the file's size, and the bytes per second: a
// rate that stays flat from 1 MiB to 16 MiB is a loader linear in the file's size.
//
//   settings_file_bench [--benchmark_filter=...]
#include "fakes/FakeFileStore.h"
#include "settings/SettingsFile.h"
#include "settings/Utf.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

void noteAllocation(std::size_t size) {
    const std::size_t now = liveBytes.fetch_add(size) + size;
    std::size_t peak = peakBytes.load();
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now)) {
    }
}

} // namespace

// Every allocation carries its size in front of it, so that the live total can be kept.
void* operator new(std::size_t size) {
    auto* block = static_cast<std::size_t*>(std::malloc(size + sizeof(std::max_align_t)));
    if (block == nullptr) throw std::bad_alloc();
    *block = size;
    noteAllocation(size);
    return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}
// GCC cannot see that `block` is the malloc'd start of what operator new above handed out.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    if (p == nullptr) return;
    auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
    liveBytes.fetch_sub(*block);
    std::free(block);
}
#pragma GCC diagnostic pop
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

using namespace zrm58;
using fakes::FakeFileStore;

const std::string kPath = "/bench/ZRM58.ini";

enum Shape { ManySections, OneLongSection, BareLines, EightBit, TinyEntries };

// A file of about `bytes` bytes of the shape, in the layout a save writes (CR LF, an empty line
// after each section). All but EightBit are stored as the program stores them: UTF-16 with its
// mark. EightBit is 8-bit text that is no UTF-8 (a Latin-1 letter in every section);
// TinyEntries is ASCII text of the shortest entries there are ("=" and a line end), the most
// lines a file of its size can hold.
std::string makeFile(Shape shape, std::size_t bytes) {
    std::u16string text = u"[Form]\r\nTop=10\r\n\r\n[DATE]\r\nSEP=|\r\n\r\n";
    const bool eightBit = shape == EightBit || shape == TinyEntries;
    if (shape == OneLongSection || shape == BareLines || shape == TinyEntries)
        text += u"[Foreign]\r\n";
    const std::size_t units = eightBit ? bytes : (bytes - 2) / 2;
    for (std::size_t n = 0; text.size() < units; ++n) {
        const std::string digits = std::to_string(n);
        const std::u16string number(digits.begin(), digits.end());
        switch (shape) {
        case ManySections:
            text += u"[Section " + number + u"]\r\nKey=Value " + number + u"\r\n\r\n";
            break;
        case OneLongSection:
            text += u"Key" + number + u"=Value\r\n";
            break;
        case BareLines:
            text += u"b\r\n";
            break;
        case EightBit:
            text += u"[Caf\u00E9 " + number + u"]\r\nK=\u00E9\r\n\r\n";
            break;
        case TinyEntries:
            text += u"=\r";
            break;
        }
    }
    text.resize(units);
    if (eightBit) return std::string(text.begin(), text.end()); // Latin-1 bytes
    return "\xFF\xFE" + toUtf16Le(text);
}

void report(benchmark::State& state, std::size_t fileBytes, std::size_t peak) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fileBytes));
    state.counters["file_MiB"] = static_cast<double>(fileBytes) / (1 << 20);
    state.counters["peak_heap_x_file"] = static_cast<double>(peak) / fileBytes;
}

void BM_Read(benchmark::State& state) {
    FakeFileStore store;
    store.files[kPath] = makeFile(static_cast<Shape>(state.range(0)), state.range(1));
    const std::size_t fileBytes = store.files[kPath].size();
    std::size_t peak = 0;
    for (auto _ : state) {
        const std::size_t before = liveBytes.load();
        peakBytes.store(before);
        benchmark::DoNotOptimize(readStripSettings(store, kPath, u'.'));
        peak = std::max(peak, peakBytes.load() - before);
    }
    report(state, fileBytes, peak);
}

void BM_Save(benchmark::State& state) {
    FakeFileStore store;
    const std::string file = makeFile(static_cast<Shape>(state.range(0)), state.range(1));
    std::size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.files[kPath] = file;
        store.files.erase(kPath + ".bak");
        state.ResumeTiming();
        const std::size_t before = liveBytes.load();
        peakBytes.store(before);
        try {
            WriteIniFile(store, kPath, u'.', [] { return StripSettings{}; });
        } catch (const SettingsFileError& e) {
            state.SkipWithError(e.what());
            break;
        }
        peak = std::max(peak, peakBytes.load() - before);
    }
    report(state, file.size(), peak);
}

void sizes(benchmark::internal::Benchmark* b) {
    // 16 MiB less room for the program's own keys, which a save adds.
    for (const int shape : {ManySections, OneLongSection, BareLines})
        for (const int bytes : {1 << 20, 4 << 20, (16 << 20) - 4096})
            b->Args({shape, bytes});
    // An 8-bit file grows to more than twice its size as UTF-16: 4 MiB is about the largest
    // whose save stays within the limit.
    for (const int shape : {EightBit, TinyEntries})
        for (const int bytes : {1 << 20, 4 << 20})
            b->Args({shape, bytes});
    b->Args({ManySections, 3'200'000}); // about 100,000 sections
    b->ArgNames({"shape", "bytes"})->Unit(benchmark::kMillisecond);
}

// Reading alone also at the limit: an 8-bit file that large reads, though its save is refused.
void readSizes(benchmark::internal::Benchmark* b) {
    sizes(b);
    b->Args({EightBit, 16 << 20});
    b->Args({TinyEntries, 16 << 20});
}

BENCHMARK(BM_Read)->Apply(readSizes);
BENCHMARK(BM_Save)->Apply(sizes);

} // namespace

BENCHMARK_MAIN();
