// Every native test starts from the fake's start state: the whole fake is
// reset before each test (before its fixture is made), so that no fixture
// has to remember which parts to reset.
#include <gtest/gtest.h>

#include "platform/fake/fake_platform.h"

namespace {

class FakeResetListener : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { platform::fake::Reset(); }
};

// Registered before main: GoogleTest's main keeps listeners appended earlier.
const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new FakeResetListener);
  return true;
}();

}  // namespace
