#include "sioc_lib/file_rules.h"

#include <gtest/gtest.h>

namespace {

using sioc_lib::Access;
using sioc_lib::Failure;

// Why a change is refused, over every answer an open and the permissions
// can give: on a network share the server's answer is the whole answer.
TEST(FileRulesTest, ReasonsForARefusal) {
  const struct {
    std::optional<Failure> opened;
    bool readOnly, network, permitted;
    Access create, change;
  } rows[] = {
      {std::nullopt, false, false, true, Access::kGranted, Access::kGranted},
      {std::nullopt, false, false, false, Access::kDenied, Access::kGranted},
      {std::nullopt, false, true, false, Access::kGranted, Access::kGranted},
      {Failure::kDenied, false, false, true, Access::kProtected, Access::kProtected},
      {Failure::kDenied, false, false, false, Access::kDenied, Access::kDenied},
      {Failure::kDenied, false, true, true, Access::kDenied, Access::kDenied},
      {Failure::kDenied, true, false, true, Access::kProtected, Access::kReadOnly},
      {Failure::kHeld, false, false, true, Access::kRefused, Access::kHeld},
      {Failure::kOther, false, false, true, Access::kRefused, Access::kRefused}};
  for (const auto& row : rows) {
    const auto permitted = [&] { return row.permitted; };
    EXPECT_EQ(sioc_lib::accessToCreate(row.opened, row.network, permitted), row.create);
    EXPECT_EQ(sioc_lib::accessToChange(row.opened, row.readOnly, row.network, permitted),
              row.change);
  }
  EXPECT_TRUE(sioc_lib::heldByAnother(Failure::kDenied, [] { return false; }));
  EXPECT_FALSE(sioc_lib::heldByAnother(Failure::kDenied, [] { return true; }));
  // A share's root, or a drive letter the system maps to a share.
  for (const wchar_t* share : {L"\\\\s", L"//s", L"\\/s"})
    EXPECT_TRUE(sioc_lib::onNetwork(share, [] { return false; }));
  for (const bool remote : {false, true})
    EXPECT_EQ(sioc_lib::onNetwork(L"D:", [&] { return remote; }), remote);
  for (const wchar_t* local : {L"\\", L"", L"D:\\", L"DD"})
    EXPECT_FALSE(sioc_lib::onNetwork(local, [] { return true; }));
}

// A held file is tried again for about two seconds, each pause twice the last.
TEST(FileRulesTest, WaitForAHeldFile) {
  const struct {
    int failures;  // before the attempt succeeds; -1: never
    bool held;
    int attempts, paused;  // ms
  } rows[] = {{0, true, 1, 0}, {3, true, 4, 70}, {-1, true, 9, 2550}, {-1, false, 1, 0}};
  for (const auto& row : rows) {
    int attempts = 0, paused = 0;
    const bool done = sioc_lib::attemptWhileHeld(
        [&] { return ++attempts > row.failures && row.failures >= 0; },
        [&] { return row.held; },
        [&](std::chrono::milliseconds pause) {
          paused += static_cast<int>(pause.count());
        });
    EXPECT_EQ(done, row.failures >= 0);
    EXPECT_EQ(attempts, row.attempts);
    EXPECT_EQ(paused, row.paused);
  }
}

}  // namespace
