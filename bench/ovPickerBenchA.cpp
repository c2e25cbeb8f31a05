// Frames of the keyboard, the contact list and the confirmation screen, each beside one
// copy of the back buffer measured in the same run (BM_BackBufferCopy), so that the
// figures read as ratios.
#include "hosts/headless/ovHeadlessHost.h"
#include "ovBenchScene.h"
#include "pickers/ovContactPicker.h"
#include "pickers/ovContactPickerSystem.h"
#include "pickers/ovInfoDisplay.h"
#include "pickers/ovInfoDisplaySystem.h"
#include "pickers/ovKeyboardInput.h"
#include "pickers/ovKeyboardInputSystem.h"
#include "program/ovProgramAssembly.h"
#include "shell/ovBackBuffer.h"
#include "store/ovPoomSession.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {
// A program whose home node leads to a keyboard, a contact list with eight matches on
// screen and a confirmation screen.
struct PickerScene {
    PickerScene(int width, int height) {
        std::filesystem::remove_all("/tmp/orvida-bench-pickers-a");
        assembly.modules = {[](ovApp&) { return std::make_unique<ovKeyboardInputSystem>(); },
                            [](ovApp&) { return std::make_unique<ovContactPickerSystem>(); },
                            [](ovApp&) { return std::make_unique<ovInfoDisplaySystem>(); }};
        assembly.buildTree = [this](ovApp& app) {
            ovNavigator& nav = *app.navigator;
            ovHyperNode* home = ovBenchNode(app.makeNode<ovHyperNode>(), ovHomeScreenId);
            nav.addChild(&nav.root, home);
            keyboard = static_cast<ovKeyboardInput*>(ovBenchNode(app.makeNode<ovKeyboardInput>(), 10));
            picker = static_cast<ovContactPicker*>(ovBenchNode(app.makeNode<ovContactPicker>(), 11));
            info = static_cast<ovInfoDisplay*>(ovBenchNode(app.makeNode<ovInfoDisplay>(), 12));
            nav.addChild(home, keyboard);
            nav.addChild(keyboard, picker);
            nav.addChild(picker, info);
        };
        const ovOptions options = ovBenchOptions(width, height, "/tmp/orvida-bench-pickers-a");
        host = std::make_unique<ovHeadlessHost>(options, ORVIDA_BIN_DIR "/orvida", &assembly);
        keyboard->inputText = u"Lunch with Bob at the harbour";
        for (int i = 0; i < 8; ++i)
            if (!ovPoomSession::instance()->addContact(u"Jordan" + std::u16string(1, u'A' + i), u"Alex", u"",
                                                       u"", u"", u"", u""))
                std::abort(); // a benchmark of an empty list would measure nothing
    }
    ovApp& app() { return host->program().app(); }
    void show(ovHyperNode* node) {
        app().navigator->current = node;
        node->onEnter(*app().navigator);
        app().drawFrame(app().backBuffer().canvas());
    }

    ovAssembly assembly;
    std::unique_ptr<ovHeadlessHost> host;
    ovKeyboardInput* keyboard = nullptr;
    ovContactPicker* picker = nullptr;
    ovInfoDisplay* info = nullptr;
};

void args(benchmark::internal::Benchmark* b) {
    b->Args({240, 320})->Args({480, 640});
}

template <int Which> void BM_PickerFrame(benchmark::State& state) {
    PickerScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ovHyperNode* nodes[] = {scene.keyboard, scene.picker, scene.info};
    scene.show(nodes[Which]);
    ovBackBuffer& back = scene.app().backBuffer();
    for (auto _ : state) {
        scene.app().drawFrame(back.canvas());
        benchmark::ClobberMemory();
    }
}
void BM_FrameKeyboard(benchmark::State& state) {
    BM_PickerFrame<0>(state);
}
void BM_FrameContactPicker(benchmark::State& state) {
    BM_PickerFrame<1>(state);
}
void BM_FrameInfoDisplay(benchmark::State& state) {
    BM_PickerFrame<2>(state);
}
BENCHMARK(BM_FrameKeyboard)->Apply(args);
BENCHMARK(BM_FrameContactPicker)->Apply(args);
BENCHMARK(BM_FrameInfoDisplay)->Apply(args);
} // namespace
