// Everything the tool says goes to standard output through these two.
#ifndef TRV_APP_CONSOLE_H_
#define TRV_APP_CONSOLE_H_

#include <string>

// Writes text and one line feed; does not flush.
void printLine(const std::string& text);

// Shows the closing prompt and reads one line (at most 127 characters), so the
// console window stays open until the user presses Return.
void waitForReturn();

// While it lives, the console shows UTF-8 text (on Windows its output code
// page is switched and then restored, so the console is left as it was).
class Utf8Console {
 public:
  Utf8Console();
  ~Utf8Console();
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  [[maybe_unused]] unsigned previousCodePage_ = 0;
};

#endif  // TRV_APP_CONSOLE_H_
