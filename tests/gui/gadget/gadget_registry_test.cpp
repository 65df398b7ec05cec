// The registry and the common operations: identities (numbers and AnyNumber), reuse of a
// number, creation failure, lookup from a handle, gadget lists, teardown, text and focus.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/gadget/button_gadget.h"
#include "gui/gadget/edit_gadget.h"
#include "gui/gadget/gadget.h"
#include "gui/gadget/gadget_hooks.h"
#include "gui/gadget/gadget_list.h"
#include "gui/gadget/gadget_registry.h"
#include "gui/gadget/label_gadget.h"
#include "gui/not_handled.h"
#include "gui/window/event_queue.h"
#include "gui/window/window.h"
#include "runtime/text.h"
#include "tests/gui/gadget/gadget_test_support.h"
#include "tests/support/win_test.h"

namespace {

using RegistryTest = GadgetWindowTest;

ObjectNumber IdOf(HWND control) { return GetWindowLongPtrW(control, GWLP_ID); }
ObjectNumber IdPropertyOf(HWND control) { return reinterpret_cast<ObjectNumber>(GetPropW(control, L"Orv_ID")); }

std::int64_t DynamicRecordCount() {
  std::int64_t count = 0;
  for (ListLinks* links = GadgetTableGet()->dynamicList; links; links = links->next) ++count;
  return count;
}

// Makes every CreateWindowExW of this thread fail while it lives.
class CreationRefused {
 public:
  CreationRefused() : hook_(SetWindowsHookExW(WH_CBT, Refuse, nullptr, GetCurrentThreadId())) {}
  ~CreationRefused() { UnhookWindowsHookEx(hook_); }
  CreationRefused(const CreationRefused&) = delete;
  CreationRefused& operator=(const CreationRefused&) = delete;

 private:
  static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK hook_;
};

TEST_F(RegistryTest, ANumberIsTheIdAndThePropertyAndTheResultIsTheHandle) {
  const std::int64_t result = GadgetCreateButton(4, 10, 10, 80, 24, L"Four");
  HWND control = GadgetHandle(4);
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(result, reinterpret_cast<std::int64_t>(control));
  EXPECT_EQ(IdOf(control), 4);
  EXPECT_EQ(IdPropertyOf(control), 4);
  EXPECT_EQ(GetParent(control), window_);
  EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(DefaultGadgetFont()));
}

TEST_F(RegistryTest, AnyNumberGivesOneIdentityForIdPropertyAndEvents) {
  const std::int64_t identity = GadgetCreateButton(AnyNumber, 10, 10, 80, 24, L"Dynamic");
  ASSERT_NE(identity, 0);
  HWND control = GadgetHandle(identity);
  ASSERT_NE(control, nullptr) << "the identity addresses the gadget";
  EXPECT_NE(identity, reinterpret_cast<std::int64_t>(control)) << "AnyNumber returns the identity, not the handle";
  EXPECT_EQ(IdOf(control), identity);
  EXPECT_EQ(IdPropertyOf(control), identity);
  EXPECT_EQ(GadgetFromHandle(control), GadgetTableGet() ? ObjectTableLookup(GadgetTableGet(), identity) : nullptr);

  SendMessageW(control, BM_CLICK, 0, 0);
  const std::vector<GadgetTestEvent> got = CollectGadgetEvents();
  const std::vector<GadgetTestEvent> expected{{GadgetEvent, identity, 0, BN_CLICKED}};
  EXPECT_EQ(got, expected) << "got " << Describe(got) << ", expected " << Describe(expected);
}

TEST_F(RegistryTest, TwoAnyNumberGadgetsHaveDistinctIdentities) {
  const std::int64_t first = GadgetCreateLabel(AnyNumber, 10, 10, 80, 20, L"one");
  const std::int64_t second = GadgetCreateLabel(AnyNumber, 10, 40, 80, 20, L"two");
  ASSERT_NE(first, 0);
  ASSERT_NE(second, 0);
  EXPECT_NE(first, second);
  EXPECT_EQ(GadgetGetText(first).c_str(), std::wstring(L"one"));
  EXPECT_EQ(GadgetGetText(second).c_str(), std::wstring(L"two"));
}

TEST_F(RegistryTest, ReusingANumberCreatesTheNewControlFirstPurgesTheOldEventsAndKeepsTheRecord) {
  ASSERT_NE(GadgetCreateEdit(3, 10, 10, 100, 22, L"old"), 0);
  ASSERT_NE(GadgetCreateEdit(4, 10, 40, 100, 22, L"other"), 0);
  HWND old = GadgetHandle(3);
  GadgetRecord* record = GadgetFromHandle(old);
  ASSERT_NE(record, nullptr);

  // When the old control gets WM_NCDESTROY, the new one must already exist.
  static HWND newAtOldDestruction;
  static WNDPROC gadgetProc;
  newAtOldDestruction = nullptr;
  gadgetProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      old, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND control, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_NCDESTROY) newAtOldDestruction = FindWindowExW(GetParent(control), nullptr, L"Static", L"new");
        return CallWindowProcW(gadgetProc, control, message, wParam, lParam);
      })));

  EventPost(GadgetEvent, 3, 0, ContentChanged);
  EventPost(GadgetEvent, 4, 0, ContentChanged);
  EventPost(GadgetEvent, 3, 0, 1024);
  ASSERT_EQ(EventQueueLength(), 3);

  const std::int64_t result = GadgetCreateLabel(3, 10, 70, 100, 20, L"new");
  HWND replacement = GadgetHandle(3);
  ASSERT_NE(replacement, nullptr);
  EXPECT_EQ(result, reinterpret_cast<std::int64_t>(replacement));
  EXPECT_NE(replacement, old);
  EXPECT_FALSE(IsWindow(old)) << "the old control is destroyed";
  EXPECT_EQ(newAtOldDestruction, replacement) << "the new control existed before the old one was destroyed";
  EXPECT_EQ(GadgetFromHandle(replacement), record) << "the number's record is reused in place";
  EXPECT_EQ(record->kind->kindCode, LabelKind);
  EXPECT_EQ(record->backColor, -1);

  const std::vector<GadgetTestEvent> got = CollectGadgetEvents(20);
  const std::vector<GadgetTestEvent> expected{{GadgetEvent, 4, 0, ContentChanged}};
  EXPECT_EQ(got, expected) << "only the old gadget's events go; got " << Describe(got);
}

TEST_F(RegistryTest, AFailedCreationLeavesTheGadgetHoldingTheNumberAlone) {
  ASSERT_NE(GadgetCreateEdit(2, 10, 10, 100, 22, L"keep me"), 0);
  HWND control = GadgetHandle(2);
  const std::int64_t dynamicBefore = DynamicRecordCount();
  {
    const CreationRefused refused;
    EXPECT_EQ(GadgetCreateButton(2, 10, 40, 80, 24, L"never"), 0);
    EXPECT_EQ(GadgetCreateButton(AnyNumber, 10, 40, 80, 24, L"never"), 0);
  }
  EXPECT_EQ(GadgetHandle(2), control);
  EXPECT_TRUE(IsWindow(control));
  EXPECT_EQ(GadgetGetText(2).c_str(), std::wstring(L"keep me"));
  EXPECT_EQ(IdOf(control), 2);
  EXPECT_EQ(DynamicRecordCount(), dynamicBefore) << "no record is taken for a control that was not created";
}

TEST_F(RegistryTest, ANumberTheTableCannotHoldDestroysTheControlJustCreated) {
  EXPECT_EQ(GadgetCreateButton(kObjectNumberLimit, 10, 10, 80, 24, L"too far"), 0);
  EXPECT_EQ(GadgetCreateButton(-5, 10, 10, 80, 24, L"negative"), 0);
  EXPECT_EQ(FindWindowExW(window_, nullptr, L"Button", nullptr), nullptr) << "no orphan control stays on the window";
}

TEST_F(RegistryTest, FromHandleRejectsAChildWhoseIdMerelyEqualsAGadgetNumber) {
  ASSERT_NE(GadgetCreateLabel(0, 10, 10, 80, 20, L"zero"), 0);
  ASSERT_NE(GadgetCreateLabel(5, 10, 40, 80, 20, L"five"), 0);
  HWND idFive = CreateWindowExW(0, L"Static", L"not a gadget", WS_CHILD | WS_VISIBLE, 100, 10, 80, 20, window_,
                                reinterpret_cast<HMENU>(5), GetModuleHandleW(nullptr), nullptr);
  HWND idZero = CreateWindowExW(0, L"Static", L"not a gadget", WS_CHILD | WS_VISIBLE, 100, 40, 80, 20, window_,
                                reinterpret_cast<HMENU>(0), GetModuleHandleW(nullptr), nullptr);
  // Even a copied property does not make another child the gadget.
  HWND copied = CreateWindowExW(0, L"Static", L"copy", WS_CHILD | WS_VISIBLE, 100, 70, 80, 20, window_,
                                reinterpret_cast<HMENU>(5), GetModuleHandleW(nullptr), nullptr);
  SetPropW(copied, L"Orv_ID", reinterpret_cast<HANDLE>(5));
  ASSERT_NE(idFive, nullptr);
  ASSERT_NE(idZero, nullptr);

  EXPECT_NE(GadgetFromHandle(GadgetHandle(5)), nullptr);
  EXPECT_NE(GadgetFromHandle(GadgetHandle(0)), nullptr);
  EXPECT_EQ(GadgetFromHandle(idFive), nullptr) << "ID 5 without the property";
  EXPECT_EQ(GadgetFromHandle(idZero), nullptr) << "ID 0 and no property agree only by both being 0";
  EXPECT_EQ(GadgetFromHandle(copied), nullptr) << "ID and property 5 on a control that is not gadget 5";
  EXPECT_EQ(GadgetFromHandle(nullptr), nullptr);
  EXPECT_EQ(GadgetFromHandle(window_), nullptr);

  // A label's colour answer for a control that is no gadget stays NotHandled.
  HDC dc = GetDC(idFive);
  EXPECT_EQ(GadgetOfferMessage(idFive, window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                               reinterpret_cast<LPARAM>(idFive)),
            static_cast<LRESULT>(NotHandled));
  ReleaseDC(idFive, dc);
  RemovePropW(copied, L"Orv_ID");
  DestroyWindow(copied);
  DestroyWindow(idFive);
  DestroyWindow(idZero);
}

TEST_F(RegistryTest, TeardownClearsIdAndPropertyPurgesEventsAndReleasesTheRecord) {
  ASSERT_NE(GadgetCreateEdit(6, 10, 10, 100, 22, L"six"), 0);
  const std::int64_t identity = GadgetCreateEdit(AnyNumber, 10, 40, 100, 22, L"dynamic");
  const std::int64_t dynamicBefore = DynamicRecordCount();
  for (const std::int64_t gadget : {std::int64_t{6}, identity}) {
    SCOPED_TRACE(gadget);
    HWND control = GadgetHandle(gadget);
    ASSERT_NE(control, nullptr);
    // What the control looks like once GadgetSubclassProc has handled WM_NCDESTROY.
    static WNDPROC below;
    static ObjectNumber idAfter;
    static bool propertyAfter;
    static bool dropAcceptAfter;
    below = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND c, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
          const LRESULT result = CallWindowProcW(below, c, message, wParam, lParam);
          if (message == WM_NCDESTROY) {
            idAfter = GetWindowLongPtrW(c, GWLP_ID);
            propertyAfter = GetPropW(c, L"Orv_ID") != nullptr;
            dropAcceptAfter = GetPropW(c, L"Orv_DropAccept") != nullptr;
          }
          return result;
        })));
    SetPropW(control, L"Orv_DropAccept", reinterpret_cast<HANDLE>(1));
    EventPost(GadgetEvent, gadget, 0, ContentChanged);
    EventPost(GadgetEvent, gadget, 7, 14000);
    EventPost(MenuEvent, gadget, 0, 0);
    DestroyWindow(control);
    EXPECT_EQ(idAfter, -1);
    EXPECT_FALSE(propertyAfter);
    EXPECT_FALSE(dropAcceptAfter);
    EXPECT_EQ(GadgetHandle(gadget), nullptr);
    const std::vector<GadgetTestEvent> got = CollectGadgetEvents(20);
    const std::vector<GadgetTestEvent> expected{{MenuEvent, gadget, 0, 0}};
    EXPECT_EQ(got, expected) << "every gadget event of the gadget goes, whatever its window; got " << Describe(got);
  }
  EXPECT_EQ(DynamicRecordCount(), dynamicBefore - 1) << "a dynamic record is freed";
  EXPECT_NE(GadgetCreateEdit(6, 10, 10, 100, 22, L"again"), 0) << "the number can be used again";
}

TEST_F(RegistryTest, GadgetFreeDestroysOneGadgetOrEveryGadget) {
  ASSERT_NE(GadgetCreateLabel(1, 10, 10, 80, 20, L"one"), 0);
  ASSERT_NE(GadgetCreateLabel(60, 10, 40, 80, 20, L"sixty"), 0);
  const std::int64_t identity = GadgetCreateLabel(AnyNumber, 10, 70, 80, 20, L"dynamic");
  HWND one = GadgetHandle(1);
  GadgetFree(1);
  EXPECT_FALSE(IsWindow(one));
  EXPECT_EQ(GadgetHandle(1), nullptr);
  EXPECT_NE(GadgetHandle(60), nullptr);
  GadgetFree(12345);  // unknown: nothing
  GadgetFree(AnyNumber);
  EXPECT_EQ(GadgetHandle(60), nullptr);
  EXPECT_EQ(GadgetHandle(identity), nullptr);
  EXPECT_EQ(FindWindowExW(window_, nullptr, nullptr, nullptr), nullptr) << "no control is left on the window";
}

TEST_F(RegistryTest, UnknownNumbersDoNothing) {
  EXPECT_EQ(GadgetHandle(9), nullptr);
  EXPECT_EQ(GadgetHandle(-7), nullptr);
  const Text text = GadgetGetText(9);
  EXPECT_EQ(text.size(), 0);
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 100, 22, L"x"), 0);
  GadgetSetFocus(1);
  GadgetSetFocus(9);
  EXPECT_EQ(GetFocus(), GadgetHandle(1)) << "an unknown number leaves the focus where it is";
  GadgetSetText(9, L"nothing");
  GadgetSetAttribute(9, MaxLength, 3);
  EXPECT_EQ(GadgetGetText(1).c_str(), std::wstring(L"x"));
}

TEST_F(RegistryTest, GetTextReadsTheWholeTextAndEmptyAsEmpty) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 100, 22, nullptr), 0);
  ASSERT_NE(GadgetCreateLabel(2, 10, 40, 200, 40, L"two\r\nlines & more"), 0);
  EXPECT_EQ(GadgetGetText(1).size(), 0);
  EXPECT_EQ(GadgetGetText(2).c_str(), std::wstring(L"two\r\nlines & more"));
  const std::wstring longText(5000, L'q');
  SetWindowTextW(GadgetHandle(1), longText.c_str());
  EXPECT_EQ(GadgetGetText(1).c_str(), longText);
}

TEST_F(RegistryTest, SetTextReplacesTheTextAndQueuesNothing) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 100, 22, L"before"), 0);
  ASSERT_NE(GadgetCreateLabel(2, 10, 40, 100, 20, L"label"), 0);
  GadgetSetText(1, L"after");
  GadgetSetText(2, nullptr);
  EXPECT_EQ(GadgetGetText(1).c_str(), std::wstring(L"after"));
  EXPECT_EQ(GadgetGetText(2).size(), 0) << "a null text means the empty text";
  std::vector<GadgetTestEvent> got = CollectGadgetEvents(50);
  EXPECT_TRUE(GadgetSubtypes(got, 1).empty()) << "got " << Describe(got);

  // The suspension is lifted again: the control's own notifications become events.
  SendMessageW(GadgetHandle(1), WM_CHAR, L'x', 0);
  got = CollectGadgetEvents(50);
  EXPECT_EQ(GadgetSubtypes(got, 1), (std::vector<std::int64_t>{1024, ContentChanged})) << "got " << Describe(got);
}

TEST_F(RegistryTest, SetFocusGivesTheFocusAndAnyNumberRemovesIt) {
  ASSERT_TRUE(wintest::BringToFront(window_));
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 100, 22, L"one"), 0);
  ASSERT_NE(GadgetCreateButton(2, 10, 40, 80, 24, L"two"), 0);
  GadgetSetFocus(2);
  EXPECT_EQ(GetFocus(), GadgetHandle(2));
  GadgetSetFocus(1);
  EXPECT_EQ(GetFocus(), GadgetHandle(1));
  GadgetSetFocus(AnyNumber);
  EXPECT_EQ(GetFocus(), nullptr) << "no control keeps the focus";
}

TEST_F(RegistryTest, GadgetListsDecideWhereGadgetsGo) {
  const std::wstring property = L"Orv_GadgetStack_" + std::to_wstring(reinterpret_cast<long long>(GetModuleHandleW(nullptr)));
  auto* record = static_cast<GadgetListRecord*>(GetPropW(window_, property.c_str()));
  ASSERT_NE(record, nullptr) << "WindowOpen used the window's list";
  EXPECT_EQ(record->window, window_);
  EXPECT_EQ(GetWindowLongPtrW(window_, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(GadgetListProc));
  EXPECT_EQ(GadgetListUse(nullptr), window_) << "a null argument only reports";
  EXPECT_EQ(GadgetListUse(nullptr), window_);

  // Window 1 opened without a gadget list leaves window 0's current.
  HWND other = reinterpret_cast<HWND>(WindowOpen(1, 420, 60, 200, 120, L"Other", 0xCA0000 | WindowNoGadgetList));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(GadgetListUse(nullptr), window_);
  EXPECT_EQ(GetPropW(other, property.c_str()), nullptr);
  ASSERT_NE(GadgetCreateLabel(1, 5, 5, 80, 20, L"on 0"), 0);
  EXPECT_EQ(GetParent(GadgetHandle(1)), window_);

  EXPECT_EQ(GadgetListUse(other), window_) << "the previous list is returned";
  ASSERT_NE(GadgetCreateButton(2, 5, 5, 80, 20, L"on 1"), 0);
  EXPECT_EQ(GetParent(GadgetHandle(2)), other);
  EXPECT_EQ(GadgetListUse(window_), other);
  ASSERT_NE(GadgetCreateLabel(3, 5, 35, 80, 20, L"on 0 again"), 0);
  EXPECT_EQ(GetParent(GadgetHandle(3)), window_);
  EXPECT_EQ(GadgetListUse(window_), window_) << "using the current list again changes nothing";

  // A gadget's events carry the number of the window it is on.
  CollectGadgetEvents(20);
  SendMessageW(GadgetHandle(2), BM_CLICK, 0, 0);
  const std::vector<GadgetTestEvent> got = CollectGadgetEvents();
  const std::vector<GadgetTestEvent> expected{{GadgetEvent, 2, 1, BN_CLICKED}};
  EXPECT_EQ(got, expected) << "got " << Describe(got);
  WindowClose(1);
  EXPECT_EQ(GadgetHandle(2), nullptr);
}

TEST_F(RegistryTest, DestroyingTheWindowOfTheCurrentListLeavesNoListUntilAnotherIsUsed) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 100, 22, L"on window 0"), 0);
  HWND other = reinterpret_cast<HWND>(WindowOpen(1, 420, 60, 200, 120, L"Other", 0xCA0000));
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(GadgetListUse(nullptr), other);
  ASSERT_NE(GadgetCreateButton(2, 5, 5, 80, 24, L"on 1"), 0);
  WindowClose(1);
  EXPECT_EQ(GadgetHandle(2), nullptr) << "its gadgets died with it";
  EXPECT_EQ(GadgetListOf(other), nullptr) << "the list record went with the window";
  EXPECT_EQ(GadgetListUse(nullptr), nullptr) << "no list is current";
  EXPECT_EQ(GadgetCreateButton(2, 5, 5, 80, 24, L"nowhere"), 0);
  EXPECT_EQ(GadgetCreateEdit(AnyNumber, 5, 5, 80, 24, L"nowhere"), 0);
  EXPECT_NE(GadgetHandle(1), nullptr) << "window 0's gadgets are untouched";
  EXPECT_EQ(GadgetListUse(window_), nullptr);
  EXPECT_NE(GadgetCreateButton(2, 5, 40, 80, 24, L"back on 0"), 0);
  EXPECT_EQ(GetParent(GadgetHandle(2)), window_);
}

TEST(GadgetDefaultFont, IsTheMessageBoxFontOfTheNonClientMetrics) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = 500;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, 500, &metrics, 0));
  HFONT font = DefaultGadgetFont();
  ASSERT_NE(font, nullptr);
  EXPECT_NE(font, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  LOGFONTW got{};
  ASSERT_EQ(GetObjectW(font, sizeof got, &got), static_cast<int>(sizeof got));
  EXPECT_EQ(got.lfHeight, metrics.lfMessageFont.lfHeight);
  EXPECT_EQ(got.lfWeight, metrics.lfMessageFont.lfWeight);
  EXPECT_EQ(std::wstring(got.lfFaceName), std::wstring(metrics.lfMessageFont.lfFaceName));
}

}  // namespace
