// The end of the first sync over a store that had items before its vdir was set: a file
// written for each item, durably, in pieces that let other writers in between.
#include "data/pim/ovPimAppointment.h"
#include "data/pim/ovPimStore.h"
#include "data/vdir/ovVdir.h"
#include "data/vdir/ovVdirSettings.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

void check(const ovResult<>& r) {
    if (!r) {
        std::fprintf(stderr, "ovVdirBench: %s\n", r.reason().c_str());
        std::exit(1);
    }
}

void vdirWritesFilesForItemsWithout(benchmark::State& state) {
    namespace fs = std::filesystem;
    for (auto _ : state) {
        state.PauseTiming();
        std::string pattern = (fs::temp_directory_path() / "ovVdirBench-XXXXXX").string();
        const fs::path folder = mkdtemp(pattern.data());
        std::shared_ptr<ovPimStore> store;
        check(ovPimStore::open((folder / "orvida.sqlite").string(), store));
        check(store->beginBatch());
        for (int64_t i = 0; i < state.range(0); ++i) {
            ovPimAppointment a(store);
            check(a.setStart(46000 + static_cast<double>(i) / 24));
            a.setSubject(u"Meeting");
            check(a.save());
        }
        check(store->commitBatch());
        const ovVdirSettings settings =
            ovParseVdirSettings("[vdir]\npath = " + (folder / "vdir").string() + "\n", "orvida.conf");
        auto vdir = std::make_shared<ovVdir>(settings);
        store->setSaveHook(vdir);
        state.ResumeTiming();
        ovResult<ovVdirSyncReport> synced = vdir->sync(*store);
        state.PauseTiming();
        check(synced ? ovResult<>() : synced.error());
        if (synced.value().written != state.range(0)) {
            std::fprintf(stderr, "ovVdirBench: wrote %d files\n", synced.value().written);
            std::exit(1);
        }
        store.reset();
        fs::remove_all(folder);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(vdirWritesFilesForItemsWithout)->Arg(2000)->Arg(8000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
