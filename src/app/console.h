// Everything the tool says goes to standard output through these two.
#ifndef TRV_APP_CONSOLE_H_
#define TRV_APP_CONSOLE_H_

#include <string>

// Writes text and one line feed; does not flush. Text is UTF-8: a Windows
// console is given it as UTF-16, since it shows UTF-8 bytes wrongly or not
// at all depending on its version; a pipe or a file gets the bytes.
void printLine(const std::string& text);

// Prints a line of the tool's own wording, broken at spaces into lines of
// at most 79 characters, the later ones indented by four spaces; a word
// longer than that stands whole on a line of its own. A path's spaces
// marked by wholeForm are never broken at.
void printWrapped(const std::string& line);

// Prints what stopped a run: "! " and the first line of what as it is, then
// the line that says why, wrapped.
void printStop(const std::string& what);

// Whether standard output is a console (or terminal) that a person reads,
// not a file or a pipe.
bool outputIsConsole();

// Shows the closing prompt and reads one line (at most 127 characters), so the
// console window stays open until the user presses Return.
void waitForReturn();

#endif  // TRV_APP_CONSOLE_H_
