#include "app/console.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#endif

void printLine(const std::string& text) { std::cout << text << '\n'; }

void waitForReturn() {
  std::cout << "\nPress <Return> or <Enter> to close this window ...";
  // std::cin is tied to std::cout, so the prompt is shown before the read.
  char line[128];
  std::cin.getline(line, sizeof line);
}

#ifdef _WIN32
namespace {

// The code page to restore, for the control handler's own thread too.
std::atomic<UINT> codePageToRestore{0};

// Ctrl+C and Ctrl+Break end the process without running destructors: put the
// code page back first, then let the default handling end the process.
BOOL WINAPI restoreCodePageOnControl(DWORD /*event*/) {
  const UINT codePage = codePageToRestore.load();
  if (codePage != 0) SetConsoleOutputCP(codePage);
  return FALSE;
}

}  // namespace

Utf8Console::Utf8Console() : previousCodePage_(GetConsoleOutputCP()) {
  if (previousCodePage_ == 0) return;  // no console
  codePageToRestore = previousCodePage_;
  SetConsoleCtrlHandler(restoreCodePageOnControl, TRUE);
  SetConsoleOutputCP(CP_UTF8);
}
Utf8Console::~Utf8Console() {
  std::cout.flush();
  if (previousCodePage_ == 0) return;
  SetConsoleOutputCP(previousCodePage_);
  SetConsoleCtrlHandler(restoreCodePageOnControl, FALSE);
}
#else
Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;
#endif
