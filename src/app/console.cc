#include "app/console.h"

#include <algorithm>
#include <iostream>
#include <sstream>

#include "sioc_lib/path_text.h"

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

// Characters, not bytes: a UTF-8 character takes one column.
size_t columns(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

}  // namespace

void printLine(const std::string& text) {
  std::string shown = text + '\n';
  std::replace(shown.begin(), shown.end(), sioc_lib::kUnbrokenSpace, ' ');
  write(shown);
}

void printWrapped(const std::string& line) {
  constexpr size_t kWidth = 79;
  if (columns(line) <= kWidth) return printLine(line);  // with its spacing
  // Its indent stays; its words follow one space apart.
  const size_t indent = std::min(line.find_first_not_of(' '), line.size());
  std::string shown = line.substr(0, indent);
  std::istringstream words(line.substr(indent));
  size_t onThisLine = 0;
  for (std::string word; std::getline(words, word, ' ');) {
    if (word.empty()) continue;
    if (onThisLine > 0 && columns(shown) + 1 + columns(word) > kWidth) {
      printLine(shown);
      shown = "    ";
      onThisLine = 0;
    }
    shown += (onThisLine++ > 0 ? " " : "") + word;
  }
  printLine(shown);
}

void printStop(const std::string& what) {
  const size_t end = std::min(what.find('\n'), what.size());
  printLine("! " + what.substr(0, end));
  if (end < what.size()) printWrapped(what.substr(end + 1));
}

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
