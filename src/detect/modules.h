// The sixteen module slots and the rules that place the detected boards.
#ifndef TRV_DETECT_MODULES_H_
#define TRV_DETECT_MODULES_H_

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

enum ModuleSlot : int {
  kEfis1,
  kEfis2,
  kMcp,
  kMcpV3,
  kAtc,
  kComm1,
  kComm2,
  kComm3,
  kCdu1,
  kCdu2,
  kCdu3,
  kCduV31,
  kCduV32,
  kCduV33,
  kChrono1,
  kChrono2,
  kModuleSlotCount
};

using ModuleSlots = std::array<int32_t, kModuleSlotCount>;

// Device number of the board in each slot, -1 for none.
extern ModuleSlots moduleSlots;
extern const std::array<std::string, kModuleSlotCount> moduleNames;

std::string moduleName(int slotIndex);

// A kind of board the setup uses: its product id and the slots that its
// boards fill, first to first + slots - 1, in list order.
struct BoardKind {
  const char* name;  // as a builder knows it
  unsigned product;
  ModuleSlot first;
  int slots;
};

// The kind of a product id, or nullptr for a product the setup does not use.
const BoardKind* boardKind(unsigned product);

// The boards of a combination the setup does not support, in the slots
// first to first + slots - 1.
struct UnsupportedBoards : std::runtime_error {
  UnsupportedBoards(const std::string& message, ModuleSlot firstSlot, int slotCount)
      : std::runtime_error(message), first(firstSlot), slots(slotCount) {}
  ModuleSlot first;
  int slots;
};

// The slots the boards present now fill, by searching alone.
ModuleSlots searchBoards();
// Refuses no module (std::runtime_error) and the unsupported combinations
// (UnsupportedBoards); places FMC747 boards beside FMC747V3 boards.
void applyBoardRules(ModuleSlots& slots);

// Fills moduleSlots and prints one line per detected module, or throws
// std::runtime_error for no module or an unsupported combination.
void detectModules();

void reportDetectedModule(int slotIndex);

#endif  // TRV_DETECT_MODULES_H_
