#include "detect/modules.h"

#include <algorithm>
#include <stdexcept>

#include "app/console.h"
#include "detect/hid_search.h"

ModuleSlots moduleSlots = [] {
  ModuleSlots slots{};
  slots.fill(-1);
  return slots;
}();

const std::array<std::string, kModuleSlotCount> moduleNames = {
    "efis1", "efis2", "mcp",  "mcpv3",  "atc",    "comm1",  "comm2",   "comm3",
    "cdu1",  "cdu2",  "cdu3", "cduv31", "cduv32", "cduv33", "chrono1", "chrono2"};

std::string moduleName(int slotIndex) { return moduleNames.at(slotIndex); }

namespace {

enum ProductId : unsigned {
  kFmc747 = 2,
  kComm8 = 8,
  kMcp737 = 9,
  kEfis = 11,
  kComm13 = 13,
  kAtcPanel = 16,
  kFmc747V3 = 19,
  kMcp737V3 = 20,
  kChrono = 21,
};

// In the order of the searches: the order in which a failure would surface.
const BoardKind kBoardKinds[] = {
    {"EFIS", kEfis, kEfis1, 2},         {"MCP737", kMcp737, kMcp, 1},
    {"MCP737V3", kMcp737V3, kMcpV3, 1}, {"ATC", kAtcPanel, kAtc, 1},
    {"FMC747", kFmc747, kCdu1, 3},      {"FMC747V3", kFmc747V3, kCduV31, 3},
    {"chrono", kChrono, kChrono1, 2},   {"COMM", kComm13, kComm1, 3},
    {"COMM", kComm8, kComm1, 3}};

// Fills count slots from first on with the first boards of one product in
// list order; a slot is searched only when the one before it was filled.
void findBoards(ModuleSlots& slots, int first, int count, unsigned product) {
  int32_t* slot = &slots.at(first);
  slot[0] = findHidDevice(product, -1, -1);
  if (count > 1 && slot[0] != -1) slot[1] = findHidDevice(product, slot[0], -1);
  if (count > 2 && slot[1] != -1) slot[2] = findHidDevice(product, slot[0], slot[1]);
}

// Product 13 boards take the comm slots first, product 8 boards the rest.
void findCommBoards(ModuleSlots& slots) {
  int32_t& comm1 = slots[kComm1];
  int32_t& comm2 = slots[kComm2];
  int32_t& comm3 = slots[kComm3];
  comm1 = findHidDevice(kComm13, -1, -1);
  if (comm1 == -1) {
    findBoards(slots, kComm1, 3, kComm8);
    return;
  }
  comm2 = findHidDevice(kComm13, comm1, -1);
  if (comm2 != -1) {
    comm3 = findHidDevice(kComm13, comm1, comm2);
    if (comm3 == -1) comm3 = findHidDevice(kComm8, comm1, comm2);
    return;
  }
  comm2 = findHidDevice(kComm8, comm1, -1);
  if (comm2 != -1) comm3 = findHidDevice(kComm8, comm1, comm2);
}

int occupied(const ModuleSlots& slots, int first, int count) {
  const auto begin = slots.begin() + first;
  return static_cast<int>(
      std::count_if(begin, begin + count, [](int32_t n) { return n != -1; }));
}

// FMC747 and FMC747V3 boards share the CDU numbers 1 to 3: the V3 boards keep
// theirs and the FMC747 boards move to the numbers left free. Combinations
// that do not fit are refused.
void shareCduNumbers(ModuleSlots& slots) {
  const int f = occupied(slots, kCdu1, 3);
  const int v = occupied(slots, kCduV31, 3);
  if (f == 0 || v == 0) return;
  if (v == 3 || (v == 2 && f >= 2) || (v == 1 && f == 3)) {
    throw UnsupportedBoards("As well " + std::to_string(f) + " FMC747 as " +
                                std::to_string(v) +
                                " FMC747V3 were detected...; this is not supported.",
                            kCdu1, 6);
  }
  // f = 1 and v = 1: the FMC747 becomes cdu2. Otherwise the first FMC747
  // becomes cdu3 (with f = 2 the second keeps cdu2).
  slots[(f == 1 && v == 1) ? kCdu2 : kCdu3] = slots[kCdu1];
  slots[kCdu1] = -1;
}

}  // namespace

const BoardKind* boardKind(unsigned product) {
  for (const BoardKind& kind : kBoardKinds)
    if (kind.product == product) return &kind;
  return nullptr;
}

ModuleSlots searchBoards() {
  ModuleSlots slots{};
  slots.fill(-1);
  for (const BoardKind& kind : kBoardKinds) {
    if (kind.first != kComm1) findBoards(slots, kind.first, kind.slots, kind.product);
  }
  findCommBoards(slots);
  return slots;
}

void applyBoardRules(ModuleSlots& slots) {
  if (occupied(slots, 0, kModuleSlotCount) == 0) {
    throw std::runtime_error("None of the Opencockpits modules detected.");
  }
  if (slots[kMcp] != -1 && slots[kMcpV3] != -1) {
    throw UnsupportedBoards(
        "As well MCP737 as MCP737V3 were detected; this is not supported.", kMcp, 2);
  }
  shareCduNumbers(slots);
}

void detectModules() {
  ModuleSlots slots = searchBoards();
  applyBoardRules(slots);
  moduleSlots = slots;
  for (int slot = 0; slot < kModuleSlotCount; ++slot) reportDetectedModule(slot);
}

void reportDetectedModule(int slotIndex) {
  if (moduleSlots.at(slotIndex) != -1)
    printLine(moduleName(slotIndex) + " module detected");
}
