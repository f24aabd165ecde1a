#include "detect/board_listing.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "detect/hid_search.h"
#include "detect/modules.h"

namespace {

// The four hexadecimal digits after the last "vid_" (any case), in lower
// case; "?" where there are none.
std::string vendorInPath(const std::string& path) {
  for (size_t at = path.size() < 8 ? 0 : path.size() - 7; at-- > 0;) {
    std::string id;
    for (size_t i = 0; i < 8; ++i)
      id += static_cast<char>(std::tolower(static_cast<unsigned char>(path[at + i])));
    bool found = id.compare(0, 4, "vid_") == 0;
    for (size_t i = 4; i < 8; ++i)
      found = found && std::isxdigit(static_cast<unsigned char>(id[i])) != 0;
    if (found) return id.substr(4);
  }
  return "?";
}

// text with blanks up to width, after it or, for a number, before it.
std::string padded(const std::string& text, size_t width, bool number = false) {
  const std::string blanks(text.size() < width ? width - text.size() : 0, ' ');
  return number ? blanks + text : text + blanks;
}

struct Outcome {
  ModuleSlots slots;     // the slots the boards take
  std::string refusal;   // the setup's message when it writes nothing
  int refusedFirst = 0;  // the slots of the boards it refuses
  int refusedSlots = 0;
};

Outcome setupOutcome(const std::vector<HidDeviceRecord>& devices) {
  const ScopedHidSnapshotSource source(
      [devices] { return std::make_unique<HidRecordSnapshot>(devices); });
  Outcome outcome;
  outcome.slots = searchBoards();
  ModuleSlots placed = outcome.slots;
  try {
    applyBoardRules(placed);
    outcome.slots = placed;
  } catch (const UnsupportedBoards& e) {
    outcome = {outcome.slots, e.what(), e.first, e.slots};
  } catch (const std::runtime_error& e) {
    outcome.refusal = e.what();
  }
  return outcome;
}

// The slot a board of a kind the setup uses takes, or why it takes none;
// taken marks the slots that earlier boards in list order took.
std::string slotVerdict(const BoardKind& kind, int32_t number, const Outcome& outcome,
                        ModuleSlots& taken) {
  bool numberTaken = false;
  for (int slot = kind.first; slot < kind.first + kind.slots; ++slot) {
    if (outcome.slots[slot] != number) continue;
    numberTaken = taken[slot] != -1;
    if (numberTaken) continue;
    taken[slot] = number;
    if (outcome.refusal.empty()) return moduleName(slot);
    const bool refused = slot >= outcome.refusedFirst &&
                         slot < outcome.refusedFirst + outcome.refusedSlots;
    return refused ? "refused in this combination (below)"
                   : "none: the setup stops (below)";
  }
  if (numberTaken) return std::string("device number taken by an earlier ") + kind.name;
  return "beyond the " + std::to_string(kind.slots) + " " + kind.name +
         (kind.slots == 1 ? " slot" : " slots");
}

std::string verdict(const HidInterface& device, const Outcome& outcome,
                    ModuleSlots& taken) {
  if (!device.pathRead) return "its interface path cannot be read";
  if (!device.opencockpits) return "another maker's device";
  if (!device.product) return "Opencockpits, but its product id cannot be read";
  const BoardKind* kind = boardKind(*device.product);
  if (kind == nullptr) return "Opencockpits, but no board the setup uses";
  if (!device.keyRead) return "its driver key cannot be read";
  if (device.deviceNumber == -1) return "no device number in its driver key";
  return slotVerdict(*kind, device.deviceNumber, outcome, taken);
}

}  // namespace

BoardListing listBoards(const std::vector<HidDeviceRecord>& devices) {
  const Outcome outcome = setupOutcome(devices);
  BoardListing listing;
  std::vector<std::string>& lines = listing.lines;
  lines.emplace_back("   #  vendor  product  device  what the setup makes of it");
  ModuleSlots taken{};
  taken.fill(-1);
  const size_t looked = std::min<size_t>(devices.size(), kHidInterfaceLimit);
  for (size_t index = 0; index < looked; ++index) {
    const HidInterface device = readInterface(devices[index]);
    // The ids as the setup reads them, so no column contradicts its verdict:
    // a vendor 0000 that the setup's rule passes over is one it cannot read.
    const std::string vendor = vendorInPath(device.path);
    lines.push_back(
        padded(std::to_string(index), 4, true) + "  " +
        padded(device.opencockpits ? "0000"
               : vendor == "0000"  ? "?"
                                   : vendor,
               6) +
        "  " + padded(device.product ? fourDigits(*device.product, 16) : "?", 7) + "  " +
        padded(device.deviceNumber == -1 ? "none" : fourDigits(device.deviceNumber, 10),
               6) +
        "  " + verdict(device, outcome, taken));
  }
  if (devices.size() > looked) {
    lines.push_back("and " + std::to_string(devices.size() - looked) +
                    " interfaces more, which the setup never looks at: it looks at "
                    "the first " +
                    std::to_string(kHidInterfaceLimit) + " only");
  }
  lines.emplace_back("");
  if (!outcome.refusal.empty()) {
    lines.emplace_back("A setup run would write nothing:");
    lines.push_back(outcome.refusal);
    return listing;
  }
  listing.slots = outcome.slots;
  return listing;
}

std::vector<std::string> slotLines(const ModuleSlots& slots,
                                   const std::map<int, std::string>& leftOut) {
  std::vector<std::string> lines = {"A setup run would fill these slots:"};
  for (int slot = 0; slot < kModuleSlotCount; ++slot) {
    if (slots[slot] == -1) continue;
    const auto why = leftOut.find(slot);
    lines.push_back(
        "  " + moduleName(slot) + " with device number " + std::to_string(slots[slot]) +
        (why == leftOut.end() ? "" : ": left out, not configured: " + why->second));
  }
  return lines;
}
