// The home screen's frame with a full time line and with the calculator open, and the
// idle tick on the home screen, each beside one copy of the back buffer measured in the
// same run (BM_HomeBackBufferCopy), so the figures read as ratios on any machine.
#include "home/ovCalculatorPlugin.h"
#include "home/ovHyperBar.h"
#include "hosts/headless/ovHeadlessHost.h"
#include "ovBenchScene.h"
#include "shell/ovBackBuffer.h"
#include "store/ovPoomSession.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
// The program on the home screen at 2026-12-09 10:00, with an appointment in every
// hour of the 48-hour window.
struct HomeScene {
    HomeScene(int width, int height) {
        const std::filesystem::path data =
            std::filesystem::temp_directory_path() / ("orvida-bench-home-" + std::to_string(getpid()));
        std::filesystem::remove_all(data);
        const ovOptions options = ovBenchOptions(width, height, data.string());
        host = std::make_unique<ovHeadlessHost>(options, ORVIDA_BIN_DIR "/orvida");
        ovPoomSession& session = host->program().session();
        ovBenchFillTimeLine(session, *options.now);
        host->program().shell().onTimer();
        app().needsRepaint = true;
        host->program().shell().onTimer(); // draws once, fetching the appointments
    }
    ovApp& app() { return host->program().app(); }
    std::unique_ptr<ovHeadlessHost> host;
};

void args(benchmark::internal::Benchmark* b) {
    b->Args({240, 320})->Args({480, 640})->Args({720, 1440});
}

void BM_HomeBackBufferCopy(benchmark::State& state) {
    HomeScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const ovFramebuffer& frame = scene.app().backBuffer().frame();
    std::vector<uint32_t> window(frame.byteSize() / 4);
    for (auto _ : state) {
        std::memcpy(window.data(), frame.data(), frame.byteSize());
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HomeBackBufferCopy)->Apply(args);

void BM_HomeFrameFullTimeLine(benchmark::State& state) {
    HomeScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (ovPoomSession::instance()->appointments().count() < 48)
        state.SkipWithError("the time line is not full");
    ovBackBuffer& back = scene.app().backBuffer();
    for (auto _ : state) {
        scene.app().drawFrame(back.canvas());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HomeFrameFullTimeLine)->Apply(args);

void BM_HomeFrameCalculatorOpen(benchmark::State& state) {
    HomeScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ovHyperBar& bar = *ovHyperBar::instance();
    bar.state = 1;
    bar.openIndex = 1;
    bar.openPlugin = bar.plugins[1];
    bar.layoutButtons();
    auto* calc = static_cast<ovCalculatorPlugin*>(bar.plugins[1]);
    calc->pendingOp = 1;
    calc->entry = 2;
    ovBackBuffer& back = scene.app().backBuffer();
    scene.app().drawFrame(back.canvas()); // loads the keypad picture
    for (auto _ : state) {
        scene.app().drawFrame(back.canvas());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HomeFrameCalculatorOpen)->Apply(args);

// The clock reads the time on every tick but repaints only when the second changes;
// the virtual clock stands still here, so no tick may repaint.
void BM_HomeIdleTick(benchmark::State& state) {
    HomeScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ovApp& app = scene.app();
    const int repaints = app.repaintCount;
    float total = app.totalTime;
    for (auto _ : state) {
        total += 0.01f;
        app.update(0.01f, total);
    }
    if (app.repaintCount != repaints)
        state.SkipWithError("an idle tick on the home screen repainted");
}
BENCHMARK(BM_HomeIdleTick)->Apply(args);

// With the device status panel open every tick reads the battery, memory and disk.
void BM_HomeTickStatusOpen(benchmark::State& state) {
    HomeScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ovApp& app = scene.app();
    ovHyperBar& bar = *ovHyperBar::instance();
    bar.state = 1;
    bar.openIndex = 0;
    bar.openPlugin = bar.plugins[0];
    bar.layoutButtons();
    float total = app.totalTime;
    for (auto _ : state) {
        total += 0.01f;
        app.update(0.01f, total);
    }
}
BENCHMARK(BM_HomeTickStatusOpen)->Args({240, 320});
} // namespace
