#include "app/console.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>
#endif

void printLine(const std::string& text) { std::cout << text << '\n'; }

void waitForReturn() {
  std::cout << "\nPress <Return> or <Enter> to close this window ...";
  // std::cin is tied to std::cout, so the prompt is shown before the read.
  char line[128];
  std::cin.getline(line, sizeof line);
}

#ifdef _WIN32
Utf8Console::Utf8Console() : previousCodePage_(GetConsoleOutputCP()) {
  if (previousCodePage_ != 0) SetConsoleOutputCP(CP_UTF8);
}
Utf8Console::~Utf8Console() {
  std::cout.flush();
  if (previousCodePage_ != 0) SetConsoleOutputCP(previousCodePage_);
}
#else
Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;
#endif
