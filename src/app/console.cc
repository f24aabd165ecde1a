#include "app/console.h"

#include <iostream>

void printLine(const std::string& text) { std::cout << text << '\n'; }

void waitForReturn() {
  std::cout << "\nPress <Return> or <Enter> to close this window ...";
  // std::cin is tied to std::cout, so the prompt is shown before the read.
  char line[128];
  std::cin.getline(line, sizeof line);
}
