// Gives the tool a console at code page 850, presses Ctrl+C while the tool
// waits at its prompt, and succeeds when the console is back at 850 after the
// tool has switched it to UTF-8. Run in a terminal (script), under Wine.
#include <windows.h>

#include <string>

namespace {
BOOL WINAPI survive(DWORD /*event*/) { return TRUE; }
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  SetConsoleOutputCP(850);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE input = nullptr, noReturn = nullptr, output = nullptr, toolOutput = nullptr;
  CreatePipe(&input, &noReturn, &inherit, 0);
  CreatePipe(&output, &toolOutput, &inherit, 0);
  SetHandleInformation(noReturn, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = startup.hStdError = toolOutput;
  PROCESS_INFORMATION tool{};
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &tool))
    return 3;
  CloseHandle(toolOutput);
  SetConsoleCtrlHandler(survive, TRUE);  // after the start: not inherited
  std::string shown;
  char buffer[256];
  DWORD n = 0;
  while (shown.find("window ...") == std::string::npos &&
         ReadFile(output, buffer, sizeof buffer, &n, nullptr) && n > 0)
    shown.append(buffer, n);
  const UINT atPrompt = GetConsoleOutputCP();
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  const bool ended = WaitForSingleObject(tool.hProcess, 10000) == WAIT_OBJECT_0;
  return atPrompt == CP_UTF8 && ended && GetConsoleOutputCP() == 850 ? 0 : 1;
}
