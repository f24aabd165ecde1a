// The Windows form keeps every other byte, uses only backslashes, and a
// network prefix is two of them at most.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sioc_lib/path_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string form = sioc_lib::windowsForm(text);
  if (form.find('/') != std::string::npos) std::abort();
  if (form.compare(0, 3, "\\\\\\") == 0) std::abort();
  if (sioc_lib::windowsForm(form) != form) std::abort();  // idempotent
  std::string others;
  for (char c : text) {
    if (!sioc_lib::isSeparator(c)) others += c;
  }
  std::string formOthers;
  for (char c : form) {
    if (c != '\\') formOthers += c;
  }
  if (others != formOthers) std::abort();
  return 0;
}
