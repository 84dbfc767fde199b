// Creating message files with and without a watch reading their events, and walking a
// tree after lost events against the walk made when a watch starts.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "plugins/newswatch/TreeWatcher.h"

namespace fs = std::filesystem;
using mailvane::newswatch::TreeWatcher;

namespace {

fs::path freshFolder(const char* tag) {
  std::random_device random;
  const fs::path folder =
      fs::temp_directory_path() / (std::string("nwbench-") + tag + std::to_string(random()));
  fs::create_directories(folder);
  return folder;
}

void createFiles(const fs::path& folder, int count) {
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%05d.eml", i);
    std::ofstream(folder / name) << "Subject: bench\r\n\r\nbody\r\n";
  }
}

void BM_CreateFiles(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const bool watched = state.range(1) != 0;
  const fs::path root = freshFolder("create");
  TreeWatcher watcher;
  if (watched) watcher.start(root.string(), true);
  int round = 0;
  for (auto _ : state) {
    const fs::path folder = root / std::to_string(round++);
    fs::create_directory(folder);
    createFiles(folder, count);
    std::size_t reported = 0;
    while (watched && reported < static_cast<std::size_t>(count)) {
      pollfd ready{watcher.fd(), POLLIN, 0};
      ::poll(&ready, 1, 1000);
      reported += watcher.readEvents().size();
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
  fs::remove_all(root);
}
BENCHMARK(BM_CreateFiles)->ArgsProduct({{1000}, {0, 1}})->Unit(benchmark::kMillisecond);

// A tree of 20 folders of `count` files each: the walk at start against a rescan.
void BM_WalkTree(benchmark::State& state) {
  const int perFolder = static_cast<int>(state.range(0));
  const bool rescan = state.range(1) != 0;
  const fs::path root = freshFolder("walk");
  for (int f = 0; f < 20; ++f) {
    fs::create_directory(root / std::to_string(f));
    createFiles(root / std::to_string(f), perFolder);
  }
  TreeWatcher watcher;
  watcher.start(root.string(), true);
  inotify_event overflow{};
  overflow.wd = -1;
  overflow.mask = IN_Q_OVERFLOW;
  for (auto _ : state) {
    if (rescan) {
      watcher.processEvents(reinterpret_cast<const char*>(&overflow), sizeof overflow);
    } else {
      watcher.start(root.string(), true);
    }
    benchmark::DoNotOptimize(watcher.readEvents());
  }
  state.SetItemsProcessed(state.iterations() * perFolder * 20);
  fs::remove_all(root);
}
BENCHMARK(BM_WalkTree)->ArgsProduct({{500}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
