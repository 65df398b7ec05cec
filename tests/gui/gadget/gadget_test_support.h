// Shared by the gadget layer's tests, on top of the window layer's test support: a fresh window
// 0 per test and the gadget and menu events EventWait produced.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/gui/window/window_test_support.h"

using GadgetTestEvent = Event;

// Runs EventWait for `milliseconds` while an event is queued or a message is waiting (never
// blocking) and returns the gadget and menu events it took, in order (the window's own events,
// repaints and activation, are left out).
std::vector<GadgetTestEvent> CollectGadgetEvents(DWORD milliseconds = 200);
// The subtypes of the gadget events for `object` among `events`, in order.
std::vector<std::int64_t> GadgetSubtypes(const std::vector<GadgetTestEvent>& events, std::int64_t object);

// Window 0 (320 x 200 client, caption and system menu) opened afresh for each test, its gadget
// list current, the event queue empty; every gadget released afterwards.
class GadgetWindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  HWND window_ = nullptr;
};
