#include "sioc_lib/file_rules.h"

namespace sioc_lib {

namespace {

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Denied by the permissions, or, where they allow, by a protection.
Access deniedBy(bool network, const std::function<bool()>& permitted) {
  return network || !permitted() ? Access::kDenied : Access::kProtected;
}

}  // namespace

bool heldByAnother(Failure failure, const std::function<bool()>& readOnly) {
  return failure == Failure::kHeld || (failure == Failure::kDenied && !readOnly());
}

bool attemptWhileHeld(const std::function<bool()>& attempt,
                      const std::function<bool()>& held,
                      const std::function<void(std::chrono::milliseconds)>& pause) {
  std::chrono::milliseconds next(10);
  std::chrono::milliseconds waited(0);
  for (;;) {
    if (attempt()) return true;
    if (!held() || waited >= std::chrono::milliseconds(2000)) return false;
    pause(next);
    waited += next;
    next *= 2;
  }
}

bool onNetwork(std::wstring_view rootName, const std::function<bool()>& driveRemote) {
  if (rootName.size() >= 2 && isSeparator(rootName[0]) && isSeparator(rootName[1]))
    return true;
  return rootName.size() == 2 && rootName[1] == L':' && driveRemote();
}

Access accessToCreate(std::optional<Failure> opened, bool network,
                      const std::function<bool()>& permitted) {
  // Wine grants the open whatever the folder's owner allows: the descriptor
  // is asked too.
  if (!opened) return network || permitted() ? Access::kGranted : Access::kDenied;
  return *opened == Failure::kDenied ? deniedBy(network, permitted) : Access::kRefused;
}

Access accessToChange(std::optional<Failure> opened, bool readOnly, bool network,
                      const std::function<bool()>& permitted) {
  if (!opened) return Access::kGranted;
  switch (*opened) {
    case Failure::kHeld:
      return Access::kHeld;
    case Failure::kDenied:
      return readOnly ? Access::kReadOnly : deniedBy(network, permitted);
    default:
      return Access::kRefused;
  }
}

}  // namespace sioc_lib
