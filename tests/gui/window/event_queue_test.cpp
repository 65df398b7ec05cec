// The event queue on its own: order, coalescing with the newest entry only, suspension,
// removal by pattern, taking from an empty queue, and posts from another thread through the
// posted-event window.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/window/event_queue.h"
#include "runtime/memory.h"
#include "tests/gui/window/window_test_support.h"
#include "tests/support/win_test.h"

namespace {

struct Post {
  std::int32_t kind;
  std::int64_t object;
  std::int64_t window;
  std::int64_t subtype;
};

// Takes every queued entry through EventWait.
std::vector<Event> TakeAll() {
  std::vector<Event> events;
  while (EventQueueLength() > 0) {
    const std::int64_t kind = EventWait();
    events.push_back({kind, EventMenuItem(), EventWindow(), EventSubtype()});
  }
  return events;
}

std::vector<Event> AsEvents(const std::vector<Post>& posts) {
  std::vector<Event> events;
  for (const Post& post : posts) events.push_back({post.kind, post.object, post.window, post.subtype});
  return events;
}

class EventQueueTest : public testing::Test {
 protected:
  void SetUp() override { DiscardEvents(); }
  void TearDown() override { TakeAll(); }
};

TEST_F(EventQueueTest, EventWaitHandsOutEventsOldestFirst) {
  EventPost(MenuEvent, 1, 0, 0);
  EventPost(GadgetEvent, 5, 0, 768);
  EventPost(CloseWindowEvent, 0, 0, 0);
  ASSERT_EQ(EventQueueLength(), 3);
  EXPECT_EQ(EventWait(), MenuEvent);
  EXPECT_EQ(EventMenuItem(), 1);
  EXPECT_EQ(EventWait(), GadgetEvent);
  EXPECT_EQ(EventGadgetNumber(), 5);
  EXPECT_EQ(EventMenuItem(), 5) << "EventMenuItem and EventGadgetNumber read the same field";
  EXPECT_EQ(EventSubtype(), 768);
  EXPECT_EQ(EventWait(), CloseWindowEvent);
  EXPECT_EQ(EventQueueLength(), 0);
}

struct CoalescingRow {
  const char* name;
  std::vector<Post> posts;
  std::vector<Post> queued;
};

class CoalescingTest : public EventQueueTest, public testing::WithParamInterface<CoalescingRow> {};

TEST_P(CoalescingTest, OnlyTheNewestEntryIsCompared) {
  for (const Post& post : GetParam().posts) EventPost(post.kind, post.object, post.window, post.subtype);
  const std::vector<Event> got = TakeAll();
  const std::vector<Event> expected = AsEvents(GetParam().queued);
  EXPECT_EQ(got, expected) << "got " << Describe(got) << ", expected " << Describe(expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CoalescingTest,
    testing::Values(
        CoalescingRow{"IdenticalTwice", {{MoveWindowEvent, 0, 0, 0}, {MoveWindowEvent, 0, 0, 0}},
                      {{MoveWindowEvent, 0, 0, 0}}},
        CoalescingRow{"IdenticalThreeTimes",
                      {{GadgetEvent, 5, 0, 768}, {GadgetEvent, 5, 0, 768}, {GadgetEvent, 5, 0, 768}},
                      {{GadgetEvent, 5, 0, 768}}},
        CoalescingRow{"AnotherEventBetween",
                      {{MoveWindowEvent, 0, 0, 0}, {RepaintEvent, 0, 0, 0}, {MoveWindowEvent, 0, 0, 0}},
                      {{MoveWindowEvent, 0, 0, 0}, {RepaintEvent, 0, 0, 0}, {MoveWindowEvent, 0, 0, 0}}},
        CoalescingRow{"DifferentObject", {{GadgetEvent, 5, 0, 768}, {GadgetEvent, 4, 0, 768}},
                      {{GadgetEvent, 5, 0, 768}, {GadgetEvent, 4, 0, 768}}},
        CoalescingRow{"DifferentWindow", {{GadgetEvent, 5, 0, 768}, {GadgetEvent, 5, 1, 768}},
                      {{GadgetEvent, 5, 0, 768}, {GadgetEvent, 5, 1, 768}}},
        CoalescingRow{"DifferentSubtype", {{GadgetEvent, 5, 0, 768}, {GadgetEvent, 5, 0, 1024}},
                      {{GadgetEvent, 5, 0, 768}, {GadgetEvent, 5, 0, 1024}}},
        CoalescingRow{"KindBelow65536", {{65535, 1, 0, 0}, {65535, 1, 0, 0}}, {{65535, 1, 0, 0}}},
        CoalescingRow{"Kind65536NeverMerged", {{65536, 1, 0, 0}, {65536, 1, 0, 0}},
                      {{65536, 1, 0, 0}, {65536, 1, 0, 0}}},
        CoalescingRow{"NegativeKindMerged", {{-7, 1, 0, 0}, {-7, 1, 0, 0}}, {{-7, 1, 0, 0}}}),
    [](const testing::TestParamInfo<CoalescingRow>& info) { return std::string(info.param.name); });

TEST_F(EventQueueTest, APostAfterTheNewestWasTakenIsQueuedAgain) {
  EventPost(MoveWindowEvent, 0, 0, 0);
  ASSERT_EQ(EventWait(), MoveWindowEvent);
  EventPost(MoveWindowEvent, 0, 0, 0);
  EXPECT_EQ(EventQueueLength(), 1);
}

TEST_F(EventQueueTest, SuspensionDropsPostsButNotAlwaysPosts) {
  EventSuspend();
  EventPost(GadgetEvent, 0, 0, 768);
  EventSuspend();
  EventPost(GadgetEvent, 0, 0, 1024);
  EventPostAlways(MenuEvent, 9, 0, 0);
  EventResume();
  EventPost(GadgetEvent, 0, 0, 256);  // still suspended once
  EventResume();
  EventPost(GadgetEvent, 1, 0, 768);
  const std::vector<Event> got = TakeAll();
  const std::vector<Event> expected{{MenuEvent, 9, 0, 0}, {GadgetEvent, 1, 0, 768}};
  EXPECT_EQ(got, expected) << "got " << Describe(got) << ", expected " << Describe(expected);
}

TEST_F(EventQueueTest, AlwaysPostsCoalesceLikeOthers) {
  EventSuspend();
  EventPostAlways(MenuEvent, 9, 0, 0);
  EventPostAlways(MenuEvent, 9, 0, 0);
  EventResume();
  EXPECT_EQ(EventQueueLength(), 1);
}

struct RemovalRow {
  const char* name;
  Post pattern;
  bool byWindow;
  std::vector<Post> kept;
};

const std::vector<Post> kRemovalQueue{
    {GadgetEvent, 5, 0, 768}, {MenuEvent, 1, 0, 0},  {GadgetEvent, 5, 1, 1024},
    {GadgetEvent, 4, 0, 768}, {SizeWindowEvent, 0, 1, 0}, {GadgetEvent, 5, 0, 256}};

class RemovalTest : public EventQueueTest, public testing::WithParamInterface<RemovalRow> {};

TEST_P(RemovalTest, RemovesEveryMatchAndKeepsTheOrder) {
  for (const Post& post : kRemovalQueue) EventPost(post.kind, post.object, post.window, post.subtype);
  const RemovalRow& row = GetParam();
  if (row.byWindow) {
    EventQueueRemoveWindow(row.pattern.window);
  } else {
    EventQueueRemove(row.pattern.kind, row.pattern.object, row.pattern.window, row.pattern.subtype);
  }
  // The tail must be the last entry kept: a post identical to it merges, another appends.
  std::vector<Post> expectedPosts = row.kept;
  const Post marker{TimerEvent, 3, 2, 0};
  if (!row.kept.empty()) {
    const Post& last = row.kept.back();
    EventPost(last.kind, last.object, last.window, last.subtype);
  }
  EventPost(marker.kind, marker.object, marker.window, marker.subtype);
  expectedPosts.push_back(marker);
  const std::vector<Event> got = TakeAll();
  const std::vector<Event> expected = AsEvents(expectedPosts);
  EXPECT_EQ(got, expected) << "got " << Describe(got) << ", expected " << Describe(expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RemovalTest,
    testing::Values(
        RemovalRow{"GadgetOfAnyWindowAnySubtype", {GadgetEvent, 5, -1, -1}, false,
                   {{MenuEvent, 1, 0, 0}, {GadgetEvent, 4, 0, 768}, {SizeWindowEvent, 0, 1, 0}}},
        RemovalRow{"ExactEntry", {GadgetEvent, 5, 1, 1024}, false,
                   {{GadgetEvent, 5, 0, 768}, {MenuEvent, 1, 0, 0}, {GadgetEvent, 4, 0, 768},
                    {SizeWindowEvent, 0, 1, 0}, {GadgetEvent, 5, 0, 256}}},
        RemovalRow{"AnyKindOfSubtype768", {-1, -1, -1, 768}, false,
                   {{MenuEvent, 1, 0, 0}, {GadgetEvent, 5, 1, 1024}, {SizeWindowEvent, 0, 1, 0},
                    {GadgetEvent, 5, 0, 256}}},
        RemovalRow{"TheNewestEntry", {GadgetEvent, 5, 0, 256}, false,
                   {{GadgetEvent, 5, 0, 768}, {MenuEvent, 1, 0, 0}, {GadgetEvent, 5, 1, 1024},
                    {GadgetEvent, 4, 0, 768}, {SizeWindowEvent, 0, 1, 0}}},
        RemovalRow{"TheOldestEntry", {GadgetEvent, 5, 0, 768}, false,
                   {{MenuEvent, 1, 0, 0}, {GadgetEvent, 5, 1, 1024}, {GadgetEvent, 4, 0, 768},
                    {SizeWindowEvent, 0, 1, 0}, {GadgetEvent, 5, 0, 256}}},
        RemovalRow{"Everything", {-1, -1, -1, -1}, false, {}},
        RemovalRow{"NothingMatches", {RepaintEvent, -1, -1, -1}, false, kRemovalQueue},
        RemovalRow{"Window1", {0, 0, 1, 0}, true,
                   {{GadgetEvent, 5, 0, 768}, {MenuEvent, 1, 0, 0}, {GadgetEvent, 4, 0, 768},
                    {GadgetEvent, 5, 0, 256}}},
        RemovalRow{"Window0", {0, 0, 0, 0}, true, {{GadgetEvent, 5, 1, 1024}, {SizeWindowEvent, 0, 1, 0}}},
        RemovalRow{"WindowMinus1IsNoWildcard", {0, 0, -1, 0}, true, kRemovalQueue}),
    [](const testing::TestParamInfo<RemovalRow>& info) { return std::string(info.param.name); });

TEST_F(EventQueueTest, AnEmptyQueuePumpsOneMessageAndReturnsItsNumber) {
  EventPost(GadgetEvent, 6, 0, 768);
  ASSERT_EQ(EventWait(), GadgetEvent);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 5, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 6, 0, 0);
  EXPECT_EQ(EventWait(), WM_APP + 5);
  EXPECT_EQ(EventSubtype(), -1);
  EXPECT_EQ(EventMenuItem(), 6) << "the object of the last event taken stays";
  EXPECT_EQ(EventGadgetNumber(), 6);
  EXPECT_EQ(EventWait(), WM_APP + 6) << "exactly one message per call";
}

HWND PostEventWindow() { return FindWindowW(L"PostEventClass", nullptr); }

struct ThreadPost {
  HWND target;
  UINT message;
  LPARAM lParam;
};

DWORD WINAPI PostFromThread(void* context) {
  auto* post = static_cast<ThreadPost*>(context);
  if (post->lParam == 0) {
    auto* record = static_cast<PostedEventRecord*>(RuntimeAlloc(sizeof(PostedEventRecord)));
    *record = PostedEventRecord{0, 70000, 12, 3, 4, 0xABCDEF};
    post->lParam = reinterpret_cast<LPARAM>(record);
  }
  return PostMessageW(post->target, post->message, 0, post->lParam) ? 0 : 1;
}

void PostWithThread(ThreadPost& post) {
  HANDLE thread = CreateThread(nullptr, 0, PostFromThread, &post, 0, nullptr);
  ASSERT_TRUE(thread);
  WaitForSingleObject(thread, 5000);
  DWORD code = 1;
  GetExitCodeThread(thread, &code);
  CloseHandle(thread);
  ASSERT_EQ(code, 0u) << "PostMessageW from the other thread failed";
}

TEST_F(EventQueueTest, AnotherThreadPostsThroughThePostedEventWindow) {
  HWND target = PostEventWindow();
  ASSERT_TRUE(target) << "no PostEventClass window";
  EXPECT_FALSE(IsWindowVisible(target));
  DWORD process = 0;
  GetWindowThreadProcessId(target, &process);
  EXPECT_EQ(process, GetCurrentProcessId());
  const UINT message = RegisterWindowMessageW(L"Orv_PostEventMessage");
  ThreadPost post{target, message, 0};
  PostWithThread(post);
  // Suspension does not hold back a post from another thread.
  EventSuspend();
  EXPECT_EQ(EventWait(), static_cast<std::int64_t>(message)) << "the registered message is processed first";
  EventResume();
  ASSERT_EQ(EventQueueLength(), 1);
  EXPECT_EQ(EventWait(), 70000);
  EXPECT_EQ(EventMenuItem(), 12);
  EXPECT_EQ(EventWindow(), 3);
  EXPECT_EQ(EventSubtype(), 4);
  EXPECT_EQ(EventExtra(), 0xABCDEFu);
  HANDLE heap = RuntimeHeapHandle() ? static_cast<HANDLE>(RuntimeHeapHandle()) : GetProcessHeap();
  EXPECT_FALSE(HeapValidate(heap, 0, reinterpret_cast<void*>(post.lParam))) << "the record was not freed";
}

TEST_F(EventQueueTest, AStrayPostedMessageIsNeitherReadNorFreed) {
  HWND target = PostEventWindow();
  ASSERT_TRUE(target);
  const UINT message = RegisterWindowMessageW(L"Orv_PostEventMessage");
  static PostedEventRecord notOnTheHeap{0, MenuEvent, 1, 0, 0, 0};
  HANDLE otherHeap = HeapCreate(0, 0, 0);
  auto* foreign = static_cast<PostedEventRecord*>(HeapAlloc(otherHeap, 0, sizeof(PostedEventRecord)));
  *foreign = PostedEventRecord{0, MenuEvent, 2, 0, 0, 0};
  auto* tooSmall = static_cast<std::uint64_t*>(RuntimeAlloc(8));
  for (LPARAM lParam : {LPARAM{0}, reinterpret_cast<LPARAM>(&notOnTheHeap), reinterpret_cast<LPARAM>(foreign),
                        reinterpret_cast<LPARAM>(tooSmall)}) {
    ThreadPost post{target, message, lParam};
    if (lParam == 0) {
      // PostFromThread would fill in a record; post the null lParam directly.
      ASSERT_TRUE(PostMessageW(target, message, 0, 0));
    } else {
      PostWithThread(post);
    }
    EXPECT_EQ(EventWait(), static_cast<std::int64_t>(message));
    EXPECT_EQ(EventQueueLength(), 0) << "lParam " << lParam << " was taken for a record";
  }
  EXPECT_TRUE(HeapValidate(otherHeap, 0, foreign)) << "a foreign block was freed";
  EXPECT_EQ(foreign->object, 2);
  RuntimeFree(tooSmall);
  HeapDestroy(otherHeap);
}

}  // namespace
