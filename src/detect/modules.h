// The sixteen module slots and the rules that place the detected boards.
#ifndef TRV_DETECT_MODULES_H_
#define TRV_DETECT_MODULES_H_

#include <array>
#include <cstdint>
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

// Device number of the board in each slot, -1 for none.
extern std::array<int32_t, kModuleSlotCount> moduleSlots;
extern const std::array<std::string, kModuleSlotCount> moduleNames;

std::string moduleName(int slotIndex);

// Fills moduleSlots and prints one line per detected module, or throws
// std::runtime_error for no module or an unsupported combination.
void detectModules();

void reportDetectedModule(int slotIndex);

#endif  // TRV_DETECT_MODULES_H_
