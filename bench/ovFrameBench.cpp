// Frame drawing and the idle tick, each beside one copy of the back buffer measured
// in the same run, so the figures read as ratios on any machine.
#include "hosts/headless/ovHeadlessHost.h"
#include "ovBenchScene.h"
#include "shell/ovBackBuffer.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <vector>

namespace {
// The program on a given screen, showing a node with five children.
struct Scene {
    explicit Scene(int width, int height) {
        const ovOptions options = ovBenchOptions(width, height, "/tmp/orvida-bench-frame");
        host = std::make_unique<ovHeadlessHost>(options, ORVIDA_BIN_DIR "/orvida");
        ovApp& app = host->program().app();
        ovNavigator& nav = *app.navigator;
        ovHyperNode* parent = makeNode(app, u"Appointment", 100);
        nav.addChild(nav.root.children[0], parent);
        const char16_t* labels[] = {u"Today", u"Tomorrow", u"Day After", u"Calendar", u"Next Week Monday"};
        for (int i = 0; i < 5; ++i)
            nav.addChild(parent, makeNode(app, labels[i], 101 + i));
        nav.current = parent;
        host->program().shell().onTimer();
    }
    static ovHyperNode* makeNode(ovApp& app, const char16_t* label, int id) {
        ovHyperNode* node = app.makeNode<ovHyperNode>();
        node->x = node->y = 0;
        node->valid = 1;
        node->nodeId = id;
        node->label = label;
        return node;
    }
    ovApp& app() { return host->program().app(); }
    std::unique_ptr<ovHeadlessHost> host;
};

void args(benchmark::internal::Benchmark* b) {
    b->Args({240, 320})->Args({480, 640});
}

void BM_BackBufferCopy(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    const ovFramebuffer& frame = scene.app().backBuffer().frame();
    std::vector<uint32_t> window(frame.byteSize() / 4);
    for (auto _ : state) {
        std::memcpy(window.data(), frame.data(), frame.byteSize());
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BackBufferCopy)->Apply(args);

void BM_FrameRootWithFiveChildren(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ovBackBuffer& back = scene.app().backBuffer();
    for (auto _ : state) {
        scene.app().drawFrame(back.canvas());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameRootWithFiveChildren)->Apply(args);

void BM_BackgroundKeyedStretch(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ovApp& app = scene.app();
    ovBackBuffer& back = app.backBuffer();
    for (auto _ : state) {
        app.bitmaps.blit(app.background, back.canvas(), 0, 0, app.screenRect.right, app.screenRect.bottom,
                         ovColourKey, 255, 1.0f, 1.0f);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BackgroundKeyedStretch)->Apply(args);

void BM_IdleUpdate(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ovApp& app = scene.app();
    const int repaints = app.repaintCount;
    float total = app.totalTime;
    for (auto _ : state) {
        total += 0.01f;
        app.update(0.01f, total);
    }
    if (app.repaintCount != repaints)
        state.SkipWithError("an idle update repainted");
}
BENCHMARK(BM_IdleUpdate)->Apply(args);
// From nothing to the first frame: the objects in their order, fonts, pictures.
void BM_StartupToFirstFrame(benchmark::State& state) {
    for (auto _ : state) {
        Scene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
        benchmark::DoNotOptimize(scene.app().repaintCount);
    }
}
BENCHMARK(BM_StartupToFirstFrame)->Apply(args)->Unit(benchmark::kMillisecond);
} // namespace

int ovPrintFrameCostTable();

// The table of frame costs first; `--frame-table` prints only that and fails when a
// figure is above the bar.
int main(int argc, char** argv) {
    const int over = ovPrintFrameCostTable();
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--frame-table") == 0)
            return over == 0 ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
