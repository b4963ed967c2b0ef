#include "platform/NamedMutex.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/NamedMutexLock.h"
#include "platform/RecordingSink.h"

namespace platform {
namespace {

TEST(NamedMutexTest, OneMutexPerNameAndRecursive) {
  auto a = NamedMutex::Create("hMutexCache");
  auto b = NamedMutex::Create("hMutexCache");
  auto c = NamedMutex::Create("hMutexCpSet");
  EXPECT_EQ(a.get(), b.get());
  EXPECT_NE(a.get(), c.get());
  const int before = NamedMutex::WaiterCount();
  {
    NamedMutexLock outer(a);
    NamedMutexLock inner(b);
    EXPECT_EQ(NamedMutex::WaiterCount(), before + 2);
  }
  EXPECT_EQ(NamedMutex::WaiterCount(), before);
}

TEST(NamedMutexTest, ExcludesOtherThreadsAndCountsTheirWait) {
  auto m = NamedMutex::Create("hFileMutex");
  const int before = NamedMutex::WaiterCount();
  m->Lock();
  std::thread prober([&] { EXPECT_FALSE(m->TryLock()); });
  prober.join();
  EXPECT_EQ(NamedMutex::WaiterCount(), before + 1) << "a failed try is not left counted";
  std::atomic<bool> got{false};
  std::thread other([&] {
    NamedMutexLock lock(*m);
    got = true;
  });
  while (NamedMutex::WaiterCount() < before + 2) std::this_thread::yield();
  EXPECT_FALSE(got.load());
  m->Unlock();
  other.join();
  EXPECT_TRUE(got.load());
  EXPECT_EQ(NamedMutex::WaiterCount(), before);
}

TEST(MessageSinkTest, RecordsPostsFromAnyThread) {
  RecordingSink sink;
  std::thread poster([&] { sink.Post(kAppMessageBase + 8, 33, 100); });
  EXPECT_TRUE(sink.WaitFor(kAppMessageBase + 8, std::chrono::seconds(5)));
  poster.join();
  sink.Post(kAppMessageBase + 1, 0, 0);
  ASSERT_EQ(sink.MessagesOf(kAppMessageBase + 8).size(), 1u);
  EXPECT_EQ(sink.MessagesOf(kAppMessageBase + 8)[0], (Message{0x8008, 33, 100}));
  EXPECT_EQ(sink.Messages().size(), 2u);
}

}  // namespace
}  // namespace platform
