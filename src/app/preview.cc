#include "app/preview.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/console.h"
#include "app/globals.h"
#include "app/line_edit.h"
#include "app/lookalikes.h"
#include "app/run_setup.h"
#include "config/module_list.h"
#include "config/sioc_ini.h"
#include "detect/board_listing.h"
#include "sioc_lib/file_system.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/txt_file.h"
#include "sioc_lib/write_text_file.h"

namespace {

// A file's changes beyond this many lines are counted, not shown.
constexpr size_t kShownChanges = 200;

std::string count(size_t n) { return std::to_string(n) + (n == 1 ? " line" : " lines"); }

// The length of the UTF-8 character at text[at], or 0 where the bytes are no
// character (a stray byte, an overlong or cut-off sequence, a surrogate).
size_t characterLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) {
    return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
  };
  const unsigned lead = byte(at);
  if (lead < 0x80) return 1;
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  // The second byte's range rules out overlong forms, surrogates and values
  // past U+10FFFF.
  const unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  const unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (length == 0 || lead > 0xF4 || byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  return length;
}

// The code point of a whole UTF-8 character.
char32_t codePoint(std::string_view character) {
  const auto lead = static_cast<unsigned char>(character[0]);
  char32_t code = character.size() == 1 ? lead : lead & (0x7F >> character.size());
  for (const char c : character.substr(1)) code = code << 6 | (c & 0x3F);
  return code;
}

// Characters that a console shows as nothing or as a plain space, or that
// change the letter before them (Unicode's data).
bool isLookalike(char32_t code) {
  const auto* after =
      std::upper_bound(std::begin(kLookalikes), std::end(kLookalikes), code,
                       [](char32_t c, const auto& range) { return c < range.first; });
  return after != std::begin(kLookalikes) && code <= std::prev(after)->second;
}

std::string hex(unsigned value, int digits) {
  std::string text;
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    text += "0123456789ABCDEF"[(value >> shift) & 15];
  return text;
}

// A line as the console shows it. A line with a control character (C0, DEL,
// C1), bytes that are no UTF-8, a lookalike character, a blank at its end,
// or a quote at its start is shown in quotes, each such byte as \xHH, each
// lookalike as \u{XXXX}, and a quote or backslash with a backslash before
// it; every other line as it is. So nothing reaches the console that acts on
// it, and two lines that differ never look the same.
std::string visible(std::string_view line) {
  std::string quoted = "\"";
  bool marked = !line.empty() && (line.front() == '"' || line.back() == ' ');
  for (size_t at = 0; at < line.size();) {
    const size_t length = characterLength(line, at);
    const std::string_view character = line.substr(at, length == 0 ? 1 : length);
    const unsigned code = static_cast<unsigned char>(character[0]);
    const bool control = code < 0x20 || code == 0x7F ||
                         (code == 0xC2 && length == 2 && character[1] < '\xA0');
    if (length == 0 || control) {
      marked = true;
      for (const char c : character)
        quoted += "\\x" + hex(static_cast<unsigned char>(c), 2);
    } else if (const char32_t point = codePoint(character); isLookalike(point)) {
      marked = true;
      quoted += "\\u{" + hex(point, point > 0xFFFF ? 5 : 4) + "}";
    } else {
      if (code == '"' || code == '\\') quoted += '\\';
      quoted += character;
    }
    at += character.size();
  }
  return marked ? quoted + "\"" : std::string(line);
}

// Whether the line ends of text change when its lines are written: an LF
// alone, or a last line without a line end.
bool lineEndsChange(const std::string& text) {
  for (size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', lf + 1))
    if (lf == 0 || text[lf - 1] != '\r') return true;
  return !text.empty() && text.back() != '\n';
}

// The lines that would go and come, in file order, those that go first
// within each change; past kShownChanges only counted.
void printChanges(const std::string& heading, const std::vector<std::string_view>& before,
                  const std::vector<std::string_view>& after) {
  const LineEdit edit = editLines(before, after);
  std::vector<std::string> shown;
  size_t out = 0, in = 0, hiddenOut = 0, hiddenIn = 0;
  const auto change = [&](bool goes, size_t index, std::string_view text) {
    (goes ? out : in) += 1;
    if (shown.size() == kShownChanges) {
      (goes ? hiddenOut : hiddenIn) += 1;
      return;
    }
    shown.push_back(std::string(goes ? "  - " : "  + ") + std::to_string(index + 1) +
                    ": " + visible(text));
  };
  for (size_t i = 0, j = 0; i < before.size() || j < after.size();) {
    if (i < before.size() && j < after.size() && !edit.goes[i] && !edit.comes[j]) {
      ++i, ++j;
      continue;
    }
    const size_t at = i + j;
    for (; i < before.size() && edit.goes[i]; ++i) change(true, i, before[i]);
    for (; j < after.size() && edit.comes[j]; ++j) change(false, j, after[j]);
    if (i + j == at) break;  // the kept lines differ: never, for a right edit
  }
  printWrapped(heading + count(out) + " removed, " + count(in) + " added" +
               (edit.shortest ? ""
                              : " (found quickly for files this large, so maybe not the "
                                "fewest)"));
  for (const std::string& line : shown) printLine(line);
  if (hiddenOut + hiddenIn > 0) {
    printWrapped("  and " + count(hiddenOut) + " more removed, " + count(hiddenIn) +
                 " more added");
  }
}

// What a preview tells of each file step: the lines that would go and come.
class PreviewReports : public sioc_lib::FileReports {
 public:
  void begin(const std::filesystem::path& name) override { current_ = name; }
  void leftoverRemoved(const std::filesystem::path& temporary) override {
    leftovers_.push_back(temporary);
  }
  void written(const std::filesystem::path& path, const std::string& text,
               const sioc_lib::FileStatus& earlier,
               sioc_lib::ExistingFile existing) override;
  void passedOver(const std::filesystem::path& name, const std::string& why) override {
    printWrapped(sioc_lib::pathText(name.filename()) + ": " + why);
  }

  // The heading and the "!" lines of the file the run stops at.
  void stop(const std::string& failure) const {
    printLine(sioc_lib::pathText(current_.filename()) + ":");
    printStop(failure);
  }

 private:
  std::filesystem::path current_;
  std::vector<std::filesystem::path> leftovers_;  // removed in this step
  bool legendShown_ = false;
};

void PreviewReports::written(const std::filesystem::path& path, const std::string& text,
                             const sioc_lib::FileStatus& earlier,
                             sioc_lib::ExistingFile existing) {
  const std::string name = sioc_lib::pathText(path.filename());
  if (existing == sioc_lib::ExistingFile::kKeep) {
    printLine(name + ": new, a copy of sioc.ini");
  } else if (earlier.what == sioc_lib::Standing::kNothing) {
    printLine(name + ": new");
  } else {
    // A run never reads the file it replaces, so one that cannot be read
    // stops nothing.
    std::optional<std::string> bytes;
    try {
      sioc_lib::TxtFileReader reader;
      if (reader.open(path, false)) bytes = reader.readBytes();
    } catch (const std::runtime_error&) {
    }
    const std::vector<std::string_view> comingIn = sioc_lib::lineViews(text);
    if (!bytes) {
      printWrapped(name + ": replaced; its lines cannot be read to show them, " +
                   count(comingIn.size()) + " come in");
    } else if (const std::vector<std::string_view> lines = sioc_lib::lineViews(*bytes);
               *bytes == text) {
      printLine(name + ": unchanged");
    } else if (lines == comingIn) {
      printLine(name + ": the same lines; their line ends become CR LF");
    } else {
      if (!legendShown_) {
        printWrapped(
            "\"- 3:\" is line 3 of the file now, which a run removes; \"+ 5:\" is line 5 "
            "of the file as a run writes it, which it adds; lines that stay are not "
            "shown.");
        legendShown_ = true;
      }
      printChanges(name + ": ", lines, comingIn);
      if (lineEndsChange(*bytes)) printLine("  and the line ends become CR LF");
    }
  }
  // The leftovers of runs cut off, which a run removes as it writes.
  for (const std::filesystem::path& left : leftovers_) {
    printWrapped(sioc_lib::pathText(left.filename()) +
                 ": removed, a leftover of a run that was cut off");
  }
  leftovers_.clear();
}

// Collects the module folders as a run does, keeping what it would say of
// the modules it leaves out, and the failure that would stop it.
std::vector<LeftOutModule> collectQuietly(std::optional<std::string>& failure) {
  std::vector<LeftOutModule> leftOut;
  try {
    collectModuleFolders([&](const LeftOutModule& module) { leftOut.push_back(module); });
  } catch (const std::runtime_error& e) {
    failure = e.what();
  }
  return leftOut;
}

}  // namespace

void previewSetupRun(const ModuleSlots& slots) {
  moduleSlots = slots;
  moduleListContent.clear();
  siocIniContent.clear();
  // The slots say which modules the run leaves out, so the collection that
  // finds them comes first; its lines follow, as a run prints them.
  std::optional<std::string> failure;
  const std::vector<LeftOutModule> leftOut = collectQuietly(failure);
  std::map<int, std::string> why;
  for (const LeftOutModule& module : leftOut) why[module.slot] = module.why;
  for (const std::string& line : slotLines(slots, why)) printWrapped(line);
  printLine("");
  printWrapped("What a setup run would change in " + sioc_lib::wholeForm(baseFolder) +
               ":");
  for (const LeftOutModule& module : leftOut) printLine(module.lines);
  if (failure) return printStop(*failure);
  buildSiocIni();
  if (moduleListContent.empty()) {
    printLine("A setup run would write nothing:");
    return printLine("No files produced ...");
  }
  PreviewReports reports;
  try {
    foreseeSetupFiles(reports);
    if (const std::optional<std::string> note = virtualStoreNote()) printWrapped(*note);
  } catch (const std::runtime_error& e) {
    reports.stop(e.what());
    printWrapped("A setup run would stop there, before it writes any file.");
  }
  // Where the last screen shows them, after the changes.
  if (leftOut.empty()) return;
  printLine("");
  printWrapped("The modules a setup run leaves out, as said above:");
  for (const LeftOutModule& module : leftOut) printLine(module.lines);
}
