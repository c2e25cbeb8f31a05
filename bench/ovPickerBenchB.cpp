// The time and date pickers' frames beside one copy of the back buffer measured in the
// same run, and the date picker's month on a store of 100,000 appointments: the whole
// frame, and the 31 cached day queries it makes.
#include "data/pim/ovPimApplication.h"
#include "data/pim/ovPimAppointment.h"
#include "hosts/headless/ovHeadlessHost.h"
#include "ovBenchScene.h"
#include "pickers/ovDatePicker.h"
#include "pickers/ovDatePickerSystem.h"
#include "pickers/ovTimePicker.h"
#include "pickers/ovTimePickerSystem.h"
#include "shell/ovBackBuffer.h"
#include "store/ovPoomSession.h"
#include "system/ovPaths.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

namespace {
namespace fs = std::filesystem;

const char* const kNow = "2020-06-10T12:00:00";

enum class Screen { timeOfDay, duration, calendar };

// A data folder holding a store with about one appointment an hour, centred on kNow.
class SeededFolder {
public:
    explicit SeededFolder(int appointments) {
        std::string pattern = (fs::temp_directory_path() / "ovPickerBench-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        if (appointments > 0)
            seed(ovPimStoreFileIn(folder_), appointments);
    }
    ~SeededFolder() { fs::remove_all(folder_); }
    const std::string& path() const { return folder_; }

private:
    static void check(const ovResult<>& r) {
        if (!r) {
            std::fprintf(stderr, "ovPickerBenchB: %s\n", r.reason().c_str());
            std::exit(1);
        }
    }
    static void seed(const std::string& file, int count) {
        ovPimApplication app;
        check(app.logOn(file));
        check(app.beginBatch());
        std::mt19937 random(2020);
        std::uniform_int_distribution<int> length(15, 120);
        double now = 0;
        ovSystemTimeToVariantTime(*ovParseIsoLocal(kNow), now);
        const double first = now - count / 24.0 / 2;
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<ovPimItem> item;
            check(app.createItem(1, item));
            auto* a = ovPimItemCast<ovPimAppointment>(item.get());
            check(a->setStart(first + i / 24.0));
            check(a->setDuration(length(random)));
            a->setSubject(u"Meeting");
            check(a->save());
        }
        check(app.commitBatch());
    }
    std::string folder_;
};

// The program on a screen, showing one picker.
struct Scene {
    Scene(Screen screen, int width, int height, const std::string& dataDir) {
        assembly.modules.push_back([](ovApp& app) { return std::make_unique<ovTimePickerSystem>(app); });
        assembly.modules.push_back([](ovApp& app) { return std::make_unique<ovDatePickerSystem>(app); });
        assembly.buildTree = [this, screen](ovApp& app) {
            ovHyperNode* node = nullptr;
            if (screen == Screen::calendar) {
                node = app.makeNode<ovDatePicker>();
            } else {
                auto* picker = app.makeNode<ovTimePicker>();
                if (screen == Screen::duration)
                    picker->configure(ovTimePicker::duration, false);
                picker->label = std::u16string(u"start time");
                node = picker;
            }
            node->x = node->y = 0;
            node->valid = 1;
            node->nodeId = 11;
            app.navigator->addChild(&app.navigator->root, node);
        };
        const ovOptions options = ovBenchOptions(width, height, dataDir, kNow);
        host = std::make_unique<ovHeadlessHost>(options, ORVIDA_BIN_DIR "/orvida", &assembly);
        host->program().shell().onTimer(); // passes into the picker
    }
    ovApp& app() { return host->program().app(); }
    ovAssembly assembly;
    std::unique_ptr<ovHeadlessHost> host;
};

SeededFolder& emptyFolder() {
    static SeededFolder folder(0);
    return folder;
}
SeededFolder& largeFolder() {
    static SeededFolder folder(100000);
    return folder;
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({240, 320})->Args({480, 640});
}

void BM_PickerBackBufferCopy(benchmark::State& state) {
    Scene scene(Screen::timeOfDay, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                emptyFolder().path());
    const ovFramebuffer& frame = scene.app().backBuffer().frame();
    std::vector<uint32_t> window(frame.byteSize() / 4);
    for (auto _ : state) {
        std::memcpy(window.data(), frame.data(), frame.byteSize());
        benchmark::DoNotOptimize(window.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PickerBackBufferCopy)->Apply(sizes);

void frames(benchmark::State& state, Screen screen, const std::string& dataDir) {
    Scene scene(screen, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), dataDir);
    ovBackBuffer& back = scene.app().backBuffer();
    for (auto _ : state) {
        scene.app().drawFrame(back.canvas());
        benchmark::ClobberMemory();
    }
}

void BM_TimePickerFrame(benchmark::State& state) {
    frames(state, Screen::timeOfDay, emptyFolder().path());
}
BENCHMARK(BM_TimePickerFrame)->Apply(sizes);

void BM_TimePickerDurationFrame(benchmark::State& state) {
    frames(state, Screen::duration, emptyFolder().path());
}
BENCHMARK(BM_TimePickerDurationFrame)->Apply(sizes);

void BM_DatePickerFrame(benchmark::State& state) {
    frames(state, Screen::calendar, emptyFolder().path());
}
BENCHMARK(BM_DatePickerFrame)->Apply(sizes);

// June 2020 in the middle of 100,000 appointments: 30 days with about 24 blocks each.
void BM_DatePickerFrame100k(benchmark::State& state) {
    frames(state, Screen::calendar, largeFolder().path());
}
BENCHMARK(BM_DatePickerFrame100k)->Args({480, 640})->Unit(benchmark::kMicrosecond);

// The month's cached day queries alone, as the frame makes them (the bar: one tick).
void BM_DatePickerMonthQueries100k(benchmark::State& state) {
    Scene scene(Screen::calendar, 480, 640, largeFolder().path());
    ovPoomSession* session = ovPoomSession::instance();
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (int d = 1; d <= 31; ++d) {
            ovSystemTime from{2020, 5, 0, static_cast<uint16_t>(d), 0, 0, 0, 0};
            ovSystemTime to{2020, 5, 0, static_cast<uint16_t>(d), 23, 59, 59, 0};
            if (!session->queryAppointments(from, to, true))
                std::abort();
            found += session->appointments().count();
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_DatePickerMonthQueries100k)->Unit(benchmark::kMicrosecond);
} // namespace
