// The decisions of the file layer that need no answer of the system, made
// once for both platforms over what their thin calls answer.
#ifndef TRV_SIOC_LIB_FILE_RULES_H_
#define TRV_SIOC_LIB_FILE_RULES_H_

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include "sioc_lib/replace_file.h"

namespace sioc_lib {

// What a failed call of the system means, as each platform maps its errors.
enum class Failure {
  kNothingThere,  // no such file or folder
  kHeld,          // another program has it open (a sharing or lock violation)
  kDenied,        // access denied
  kExists,        // the name is taken
  kOther,
};

// Whether a call failed because another program holds the file: a sharing
// or lock violation, or access denied to a file that is not read-only (one
// waiting to be deleted). A read-only file is denied for good.
bool heldByAnother(Failure failure, const std::function<bool()>& readOnly);

// Runs attempt; while it fails and held says another program holds the
// file, runs it again after pauses that double from 10 ms, for about two
// seconds in all.
bool attemptWhileHeld(const std::function<bool()>& attempt,
                      const std::function<bool()>& held,
                      const std::function<void(std::chrono::milliseconds)>& pause);

// Whether a path with this root name is on another computer: a
// \\server\share root, or a drive letter that driveRemote says the system
// maps to a share (asked only then).
bool onNetwork(std::wstring_view rootName, const std::function<bool()>& driveRemote);

// Why the system refuses a run's change, from how it failed an open of the
// name for that change (none: it opened) and whether the name's security
// descriptor lets this user make it (permitted, asked only where needed).
// On a network share only the server can tell, so there its answer is the
// whole answer; a local denial the permissions do not explain is a
// protection's (Controlled folder access, a virus scanner).
Access accessToCreate(std::optional<Failure> opened, bool network,
                      const std::function<bool()>& permitted);
Access accessToChange(std::optional<Failure> opened, bool readOnly, bool network,
                      const std::function<bool()>& permitted);

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_FILE_RULES_H_
