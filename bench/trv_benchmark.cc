// Costs of the tool's own work, apart from starting the process: one device
// search, a whole detection, and collecting sixteen module lists.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>

#include "app/globals.h"
#include "config/module_list.h"
#include "detect/hid_scripted.h"
#include "detect/hid_search.h"
#include "detect/modules.h"
#include "test_util.h"

namespace {

HidDeviceRecord board(unsigned product, int number, unsigned vendor = 0) {
  char word[32];
  std::snprintf(word, sizeof word, "%04x/%04x:%d", vendor, product, number);
  return parseScriptedDevices(test::boards(word)).front();
}

// Every search sees these devices.
void useDevices(const std::vector<HidDeviceRecord>& devices) {
  test::useDevices("");
  setHidSnapshotSource(
      [devices] { return std::make_unique<HidRecordSnapshot>(devices); });
}

// count interfaces of another vendor with the given boards spread among them.
std::vector<HidDeviceRecord> deviceList(int count,
                                        const std::vector<HidDeviceRecord>& boards) {
  std::vector<HidDeviceRecord> devices;
  for (int i = 0; i < count; ++i) devices.push_back(board(i % 22, 100 + i, 0x046d));
  for (size_t i = 0; i < boards.size(); ++i) {
    devices.at(devices.size() * (i + 1) / (boards.size() + 1)) = boards[i];
  }
  return devices;
}

void BM_FindHidDevice(benchmark::State& state) {
  // The board sought is the last interface: the search visits them all.
  auto devices = deviceList(static_cast<int>(state.range(0)), {});
  devices.back() = board(11, 1);
  useDevices(devices);
  for (auto _ : state) {
    hidInterfaceLimit = 1000;
    benchmark::DoNotOptimize(findHidDevice(11, -1, -1));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FindHidDevice)->Arg(10)->Arg(100)->Arg(1000);

void BM_DetectModules(benchmark::State& state) {
  // The six boards of the worked example among 100 interfaces.
  useDevices(deviceList(100, {board(11, 3), board(20, 4), board(2, 6), board(11, 1),
                              board(19, 2), board(13, 5)}));
  std::streambuf* console = std::cout.rdbuf(nullptr);  // the reports go nowhere
  for (auto _ : state) {
    hidInterfaceLimit = 1000;
    detectModules();
  }
  std::cout.rdbuf(console);
  std::cout.clear();
}
BENCHMARK(BM_DetectModules)->Unit(benchmark::kMicrosecond);

void BM_CollectModuleFolders(benchmark::State& state) {
  // Sixteen module lists of 1,000 lines, half of them shared by all modules.
  test::TempDir dir;
  for (int slot = 0; slot < kModuleSlotCount; ++slot) {
    std::string lines;
    for (int i = 0; i < 1000; ++i) {
      lines += (i % 2 == 0 ? "SIOC\\common\\" : "SIOC/" + moduleName(slot) + "/") +
               "file" + std::to_string(i) + ".ssi\r\n";
    }
    test::writeBytes(
        dir.path() / ("Vorlancockpit/TRV" + moduleName(slot) + "/module.lst"), lines);
  }
  test::useDevices("");
  baseFolder = dir.path();
  for (auto _ : state) {
    moduleListContent.clear();
    for (int slot = 0; slot < kModuleSlotCount; ++slot) moduleSlots[slot] = slot;
    collectModuleFolders([](const LeftOutModule&) {});
  }
  state.counters["entries"] = static_cast<double>(moduleListContent.size());
}
BENCHMARK(BM_CollectModuleFolders)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
