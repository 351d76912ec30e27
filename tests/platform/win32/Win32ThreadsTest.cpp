#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/win32/Win32Threads.h"

namespace {

namespace waitresult = platform::waitresult;

TEST(Win32Threads, AThreadRunsUntilReleasedAndEndsWithItsFunctionsResult) {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(release, nullptr);
  std::atomic<bool> ran{false};
  platform::win32::Win32Threads threads;
  std::unique_ptr<platform::ThreadHandle> thread;
  ASSERT_EQ(threads.CreateThread(
                [&]() -> platform::DWORD {
                  WaitForSingleObject(release, INFINITE);
                  ran = true;
                  return 7;
                },
                thread),
            0u);
  EXPECT_EQ(thread->WaitForSingleObject(5), waitresult::Timeout);
  EXPECT_EQ(thread->GetExitCodeThread(), platform::kStillActive);
  SetEvent(release);
  EXPECT_EQ(thread->WaitForSingleObject(platform::kInfinite), waitresult::Object0);
  EXPECT_TRUE(ran);
  EXPECT_EQ(thread->GetExitCodeThread(), 7u);

  // Closing a running thread's handle waits for the thread.
  ResetEvent(release);
  ran = false;
  ASSERT_EQ(threads.CreateThread(
                [&]() -> platform::DWORD {
                  WaitForSingleObject(release, INFINITE);
                  ran = true;
                  return 0;
                },
                thread),
            0u);
  std::thread releaser([&] {
    Sleep(50);
    SetEvent(release);
  });
  thread.reset();
  EXPECT_TRUE(ran);
  releaser.join();
  CloseHandle(release);
}

}  // namespace
