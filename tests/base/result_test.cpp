#include "base/result.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace sorvel {
namespace {

// Shaped like the writers: a reason on failure, `{}` when done.
Result<void> save(bool works, std::string why) {
  if (!works) return Reason{std::move(why)};
  return {};
}

TEST(ResultVoid, DoneIsTrueAndAFailureIsFalseWithItsReasonWordForWord) {
  const Result<void> done = save(true, "unused");
  EXPECT_TRUE(done);
  EXPECT_TRUE(done.ok());

  const Result<void> failed = save(false, "cannot write /tmp/x: disk full");
  EXPECT_FALSE(failed);
  EXPECT_FALSE(failed.ok());
  EXPECT_EQ(failed.why(), "cannot write /tmp/x: disk full");
}

// Success used to be told by an empty message; a reason that happens to be
// empty must still fail.
TEST(ResultVoid, AFailureWithAnEmptyReasonStillFails) {
  EXPECT_FALSE(save(false, ""));
  EXPECT_FALSE(Result<void>(Reason{}).ok());
}

}  // namespace
}  // namespace sorvel
