#include "viewer/commands/OpenSequence.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(OpenSequence, QuickClicksOpenOnlyTheLastRow) {
  OpenSequence seq;
  for (int row = 0; row < 5; ++row) EXPECT_TRUE(seq.Select(row)) << "each click restarts the delay";
  const auto open = seq.BeginOpen();
  ASSERT_TRUE(open);
  EXPECT_EQ(open->index, 4);
  EXPECT_EQ(open->generation, seq.generation());
  EXPECT_FALSE(seq.BeginOpen()) << "the gate is closed while the open is in flight";
}

TEST(OpenSequence, NothingSelectedOpensNothing) {
  OpenSequence seq;
  EXPECT_FALSE(seq.BeginOpen());
}

// Selecting B while A is opening: A's ready is stale, reopens the gate and
// starts B's delay; B then opens and plays.
TEST(OpenSequence, RowSelectedWhileOpeningOpensWhenThatOpenEnds) {
  OpenSequence seq;
  seq.Select(0);
  const auto a = seq.BeginOpen();
  ASSERT_TRUE(a);
  EXPECT_FALSE(seq.Select(1)) << "B waits for A's open to end";
  const auto stale = seq.MediaReady(a->generation);
  EXPECT_FALSE(stale.accepted);
  EXPECT_TRUE(stale.start_delay);
  const auto b = seq.BeginOpen();
  ASSERT_TRUE(b);
  EXPECT_EQ(b->index, 1);
  EXPECT_TRUE(seq.MediaReady(b->generation).accepted);
  EXPECT_FALSE(seq.DataLoaded(a->generation)) << "A's data never meets B's video";
  EXPECT_TRUE(seq.DataLoaded(b->generation));
}

TEST(OpenSequence, BrokenRecordingThenAGoodOne) {
  OpenSequence seq;
  seq.Select(0);
  const auto broken = seq.BeginOpen();
  EXPECT_TRUE(seq.OpenFailed(broken->generation).accepted);
  EXPECT_TRUE(seq.ready());
  EXPECT_TRUE(seq.Select(1)) << "a failed open leaves the gate open";
  const auto good = seq.BeginOpen();
  ASSERT_TRUE(good);
  EXPECT_TRUE(seq.MediaReady(good->generation).accepted);
}

TEST(OpenSequence, FailureOfAnAbandonedOpenStartsTheWaitingRow) {
  OpenSequence seq;
  seq.Select(0);
  const auto a = seq.BeginOpen();
  seq.Select(1);
  const auto outcome = seq.OpenFailed(a->generation);
  EXPECT_FALSE(outcome.accepted) << "no error box for a recording no longer selected";
  EXPECT_TRUE(outcome.start_delay);
}

// An open slower than the wait limit: the limit reopens the gate, and the
// late ready of the current recording is still acted on.
TEST(OpenSequence, SlowOpenAfterTheWaitLimit) {
  OpenSequence seq;
  seq.Select(0);
  const auto open = seq.BeginOpen();
  EXPECT_FALSE(seq.WaitTimedOut().start_delay);
  EXPECT_TRUE(seq.ready());
  EXPECT_TRUE(seq.MediaReady(open->generation).accepted);
  EXPECT_FALSE(seq.MediaReady(open->generation).accepted) << "once per open";
}

TEST(OpenSequence, WaitLimitEndsTheWaitOfARowSelectedMeanwhile) {
  OpenSequence seq;
  seq.Select(0);
  seq.BeginOpen();
  seq.Select(1);
  EXPECT_TRUE(seq.WaitTimedOut().start_delay);
  EXPECT_EQ(seq.BeginOpen()->index, 1);
}

// A message of an even earlier open must not reopen the gate while a newer
// open is in flight.
TEST(OpenSequence, OlderMessagesChangeNothing) {
  OpenSequence seq;
  seq.Select(0);
  const auto first = seq.BeginOpen();
  seq.Select(1);
  seq.MediaReady(first->generation);
  const auto second = seq.BeginOpen();
  ASSERT_TRUE(second);
  const auto late = seq.MediaReady(first->generation);
  EXPECT_FALSE(late.accepted);
  EXPECT_FALSE(late.start_delay);
  EXPECT_FALSE(seq.ready());
  EXPECT_FALSE(seq.OpenFailed(first->generation).accepted);
  EXPECT_FALSE(seq.ready());
  EXPECT_FALSE(seq.MediaReady(0).accepted) << "generation 0 belongs to no open";
}

TEST(OpenSequence, EndOfRecordingOncePerOpen) {
  OpenSequence seq;
  seq.Select(0);
  const auto a = seq.BeginOpen();
  seq.MediaReady(a->generation);
  EXPECT_TRUE(seq.EndOfRecording(a->generation));
  EXPECT_FALSE(seq.EndOfRecording(a->generation)) << "a second end would skip a recording";
  seq.Select(1);
  const auto b = seq.BeginOpen();
  EXPECT_FALSE(seq.EndOfRecording(a->generation)) << "stale";
  seq.MediaReady(b->generation);
  EXPECT_TRUE(seq.EndOfRecording(b->generation));
}

// A folder change closes the players while an open is in flight: its ready
// never comes, so the gate must not wait for it, and nothing of it counts.
TEST(OpenSequence, AbandonedOpenLeavesTheGateOpenAndItsMessagesStale) {
  OpenSequence seq;
  seq.Select(0);
  const auto a = seq.BeginOpen();
  ASSERT_TRUE(a);
  seq.Abandon();
  EXPECT_TRUE(seq.ready());
  EXPECT_FALSE(seq.BeginOpen()) << "nothing is selected";
  EXPECT_FALSE(seq.MediaReady(a->generation).accepted);
  EXPECT_FALSE(seq.DataLoaded(a->generation));
  EXPECT_FALSE(seq.EndOfRecording(a->generation));
  EXPECT_TRUE(seq.Select(2)) << "the next row opens after the delay";
  EXPECT_EQ(seq.BeginOpen()->index, 2);
}

}  // namespace
}  // namespace viewer
