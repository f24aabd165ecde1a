#include "app/console.h"

#include <iostream>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32

// Standard output when it is a console, else nullptr. Asked once: where
// output goes does not change during a run.
HANDLE console() {
  static const HANDLE handle = [] {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return GetConsoleMode(output, &mode) != 0 ? output : nullptr;
  }();
  return handle;
}

// The console takes UTF-16 and needs no code page, so none is ever switched.
// Bytes that are not UTF-8 become U+FFFD; a line end is CR LF, as the C
// runtime's text mode writes it to a pipe.
void writeToConsole(HANDLE output, const std::string& text) {
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? "\r\n" : std::string(1, c);
  const int size = static_cast<int>(crlf.size());
  std::wstring wide(static_cast<size_t>(size), L'\0');  // never more than bytes
  wide.resize(static_cast<size_t>(
      MultiByteToWideChar(CP_UTF8, 0, crlf.data(), size, wide.data(), size)));
  DWORD written = 0;
  WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

#endif

void write(const std::string& text) {
#ifdef _WIN32
  if (const HANDLE output = console()) return writeToConsole(output, text);
#endif
  std::cout << text;
}

}  // namespace

void printLine(const std::string& text) { write(text + '\n'); }

bool outputIsConsole() {
#ifdef _WIN32
  return console() != nullptr;
#else
  return isatty(STDOUT_FILENO) != 0;
#endif
}

void waitForReturn() {
  write("\nPress <Return> or <Enter> to close this window ...");
  // std::cin is tied to std::cout, so the prompt is shown before the read.
  char line[128];
  std::cin.getline(line, sizeof line);
}
