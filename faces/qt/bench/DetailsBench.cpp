// What the details panel adds to a tick while it is shown, on this machine's real sources: the
// strip's whole tick with the panel hidden and shown (the shown tick includes the panel's
// repaint, rendered into an image as the window system would have it drawn; medians of thread
// CPU time over alternating blocks), and the parts:
// the sampler with and without the per-processor lines of its /proc/stat reading, the panel's
// reads (memory, network, temperature, five names) and its paint, where the times are the
// benchmark thread's CPU time (the "CPU" column).
//
//   QT_QPA_PLATFORM=offscreen details_bench [--benchmark_filter=...]
#include "faces/qt/DetailsPanel.h"
#include "faces/qt/StripWindow.h"
#include "status/CpuLoad.h"
#include "status/DetailsText.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <vector>

namespace {

using namespace zrm58;

struct Machine {
    QTemporaryDir dir;
    std::unique_ptr<ProcessSource> processes = createSystemProcessSource();
    std::unique_ptr<Clock> clock = createSystemClock();
    std::unique_ptr<AltCalendar> calendar = createSystemAltCalendar();
    std::unique_ptr<MemorySource> memory = createSystemMemorySource();
    std::unique_ptr<SystemDetailsSource> details = createSystemDetailsSource();
    StripServices services;
    std::unique_ptr<TForm1> form;
    DetailsPanel* panel = nullptr;

    Machine() {
        uTotalCpuUsagePct::ProcessSamplingStart(*processes);
        services.clock = clock.get();
        services.altCalendar = calendar.get();
        services.memory = memory.get();
        services.processes = processes.get();
        services.details = details.get();
        services.settingsPath = dir.filePath(QStringLiteral("ZRM58.ini")).toStdString();
        form = std::make_unique<TForm1>(services);
        form->strip().FormCreate();
        panel = form->findChild<DetailsPanel*>();
    }
    ~Machine() {
        form.reset();
        uTotalCpuUsagePct::ProcessSamplingEnd();
    }
};

Machine& machine() {
    static Machine m;
    return m;
}

double threadMicros() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// The strip's tick with the panel hidden and shown, in alternating blocks of ticks (the machine is
// shared and its load drifts), the shown tick with the panel's repaint. Counters: the median
// thread CPU time of a tick each way, the panel's extra per tick and the ratio shown / hidden.
void BM_TickHiddenAgainstShown(benchmark::State& state) {
    Machine& m = machine();
    constexpr int kBlock = 10;
    std::vector<double> hidden, shown;
    QImage image;
    for (auto _ : state) {
        m.panel->hideDetails();
        for (int i = 0; i < kBlock; ++i) {
            const double t0 = threadMicros();
            m.form->strip().Timer1Timer();
            hidden.push_back(threadMicros() - t0);
        }
        m.panel->showDetails();
        m.form->strip().Timer1Timer(); // the first tick after showing: baselines only
        for (int i = 0; i < kBlock; ++i) {
            const double t0 = threadMicros();
            m.form->strip().Timer1Timer(); // refreshes the panel: reads, texts, layout
            if (image.size() != m.panel->size())
                image = QImage(m.panel->size(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            m.panel->render(&image); // the repaint it asked for
            shown.push_back(threadMicros() - t0);
        }
    }
    m.panel->hideDetails();
    const double h = median(hidden), s = median(shown);
    state.counters["hidden_us"] = h;
    state.counters["shown_us"] = s;
    state.counters["extra_us"] = s - h;
    state.counters["shown_vs_hidden"] = h > 0 ? s / h : 0;
}
BENCHMARK(BM_TickHiddenAgainstShown)->Unit(benchmark::kMillisecond)->Iterations(40);

void BM_SampleWithoutProcessorLines(benchmark::State& state) {
    machine();
    for (auto _ : state)
        benchmark::DoNotOptimize(uTotalCpuUsagePct::SampleProcessShares());
}
BENCHMARK(BM_SampleWithoutProcessorLines)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_SampleWithProcessorLines(benchmark::State& state) {
    Machine& m = machine();
    m.processes->keepProcessorTimes(true);
    for (auto _ : state)
        benchmark::DoNotOptimize(uTotalCpuUsagePct::SampleProcessShares());
    m.processes->keepProcessorTimes(false);
}
BENCHMARK(BM_SampleWithProcessorLines)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_DetailsReads(benchmark::State& state) {
    Machine& m = machine();
    SystemDetails details(*m.processes, *m.details);
    details.start(0.0);
    (void)uTotalCpuUsagePct::SampleProcessShares();
    double t = 1.0;
    for (auto _ : state)
        benchmark::DoNotOptimize(details.update(uTotalCpuUsagePct::LastTickShares(), t += 1.0));
}
BENCHMARK(BM_DetailsReads)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_PanelPaint(benchmark::State& state) {
    Machine& m = machine();
    m.panel->showDetails();
    m.form->strip().Timer1Timer();
    QImage image(m.panel->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        m.panel->render(&image);
    }
    m.panel->hideDetails();
}
BENCHMARK(BM_PanelPaint)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
