// Menus and shortcuts: the application's exact sequence (two titles, three shortcuts, the bar
// detached), real Ctrl+Q, Ctrl+A and Return giving their MenuEvents also inside an edit
// control, replacing a shortcut, rebinding Tab, the rich-edit, "Scintilla" and hot-key rules,
// and the bookkeeping of menu records.
#include <windows.h>

#include <richedit.h>

#include <gtest/gtest.h>

#include "gui/window/event_queue.h"
#include "gui/window/menu.h"
#include "gui/window/shortcut.h"
#include "gui/window/window.h"
#include "gui/window/window_record.h"
#include "tests/gui/window/window_test_support.h"
#include "tests/support/win_test.h"

namespace {

constexpr std::uint32_t kAppFlags = 0xCA0000;
constexpr std::uint32_t kCtrlQ = 0x20051;
constexpr std::uint32_t kCtrlA = 0x20041;

std::vector<ACCEL> Entries(HACCEL table) {
  std::vector<ACCEL> entries(static_cast<std::size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
  if (!entries.empty()) CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
  return entries;
}

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[64] = {};
  GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
  return text;
}

std::vector<std::int64_t> MenuItems(const std::vector<Event>& events) {
  std::vector<std::int64_t> items;
  for (const Event& event : OfKind(events, MenuEvent)) items.push_back(event.object);
  return items;
}

HWND AddControl(HWND parent, const wchar_t* className, int y, DWORD style = 0) {
  return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | style, 5, y, 150, 22,
                         parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

class MenuTest : public testing::Test {
 protected:
  // The application's window and menu, exactly as it builds them.
  void OpenApplicationWindow() {
    height_ = 130 + MenuBarHeight();
    ASSERT_TRUE(WindowOpen(0, 100, 80, 320, height_, L"Reboot PC", kAppFlags));
    window_ = WindowHandle(0);
    opened_ = FrameSize(window_);
    bar_ = reinterpret_cast<HMENU>(MenuCreate(0, window_));
    ASSERT_TRUE(bar_);
    EXPECT_EQ(GetMenu(window_), nullptr) << "the bar is not shown before a title";
    MenuAddTitle(L"File");
    EXPECT_EQ(GetMenu(window_), bar_);
    MenuAddItem(1, L"&Quit\tCtrl+Q");
    MenuAddTitle(L"Help");
    MenuAddItem(2, L"&About...\tCtrl+A");
    attachedClient_ = ClientSize(window_);
    ShortcutAdd(0, kCtrlQ, 1);
    ShortcutAdd(0, kCtrlA, 2);
    ShortcutAdd(0, 13, 3);
    MenuHide(0, 1);
  }
  void SetUp() override { DiscardEvents(); }
  void TearDown() override {
    WindowClose(-1);
    DiscardEvents();
  }
  std::int64_t height_ = 0;
  HWND window_ = nullptr;
  HMENU bar_ = nullptr;
  SIZE opened_{};
  SIZE attachedClient_{};
};

TEST_F(MenuTest, TheApplicationsSequenceLeavesNoMenuBarAndTheFullClientArea) {
  OpenApplicationWindow();
  EXPECT_EQ(GetMenu(window_), nullptr);
  EXPECT_EQ(FrameSize(window_).cx, opened_.cx);
  EXPECT_EQ(FrameSize(window_).cy, opened_.cy) << "the outer size stays";
  EXPECT_EQ(ClientSize(window_).cx, 320);
  EXPECT_EQ(ClientSize(window_).cy, height_) << "detaching gives the bar's height back";
  EXPECT_LT(attachedClient_.cy, height_) << "the attached bar took its height from the client area";
  EXPECT_EQ(height_ - attachedClient_.cy, MenuBarHeight());
  // The structure stays for the shortcuts' sake.
  EXPECT_TRUE(IsMenu(bar_));
  ASSERT_EQ(GetMenuItemCount(bar_), 2);
  EXPECT_EQ(MenuText(bar_, 0), L"File");
  EXPECT_EQ(MenuText(bar_, 1), L"Help");
  HMENU file = GetSubMenu(bar_, 0);
  HMENU help = GetSubMenu(bar_, 1);
  ASSERT_EQ(GetMenuItemCount(file), 1);
  ASSERT_EQ(GetMenuItemCount(help), 1);
  EXPECT_EQ(GetMenuItemID(file, 0), 1u);
  EXPECT_EQ(MenuText(file, 0), L"&Quit\tCtrl+Q");
  EXPECT_EQ(GetMenuItemID(help, 0), 2u);
  EXPECT_EQ(MenuText(help, 0), L"&About...\tCtrl+A");
  EXPECT_EQ(MenuBarHeight(), GetSystemMetrics(SM_CYMENU));
}

TEST_F(MenuTest, ATitleAddedToTheShownBarGetsItsPlaceByTheNextEventWait) {
  ASSERT_TRUE(WindowOpen(0, 100, 80, 320, 150, L"Menus", kAppFlags));
  window_ = WindowHandle(0);
  bar_ = reinterpret_cast<HMENU>(MenuCreate(0, window_));
  MenuAddTitle(L"File");
  CollectEvents(100);
  MenuAddTitle(L"Help");
  EXPECT_EQ(GetMenu(window_), bar_) << "the bar stays attached";
  RECT file{};
  RECT help{};
  ASSERT_TRUE(GetMenuItemRect(window_, bar_, 1, &help));
  EXPECT_LE(help.right, help.left) << "Help is not laid out before the next EventWait";
  PostMessageW(window_, WM_NULL, 0, 0);  // the program's next EventWait
  CollectEvents(100);
  ASSERT_TRUE(GetMenuItemRect(window_, bar_, 0, &file));
  ASSERT_TRUE(GetMenuItemRect(window_, bar_, 1, &help));
  EXPECT_GT(help.right, help.left) << "Help is laid out on the bar";
  EXPECT_GE(help.left, file.right) << "after File";
}

TEST_F(MenuTest, TheShortcutsDeliverTheirItemsAlsoInsideAnEditControl) {
  OpenApplicationWindow();
  // A multi-line edit that wants Return would insert a line break if it ever saw the key.
  HWND edit = AddControl(window_, L"EDIT", 10, ES_MULTILINE | ES_WANTRETURN);
  ASSERT_TRUE(wintest::BringToFront(window_));
  struct Row {
    WORD key;
    bool control;
    std::int64_t item;
  };
  for (HWND focus : {edit, static_cast<HWND>(nullptr)}) {
    SetFocus(focus);
    DiscardEvents();
    for (const Row& row : {Row{'Q', true, 1}, Row{'A', true, 2}, Row{VK_RETURN, false, 3}}) {
      const std::vector<Event> events = KeyEvents(row.key, row.control);
      const std::vector<std::int64_t> expected{row.item};
      EXPECT_EQ(MenuItems(events), expected) << "key " << row.key << " focus " << focus << ": " << Describe(events);
      for (const Event& event : OfKind(events, MenuEvent)) EXPECT_EQ(event.window, 0);
    }
  }
  EXPECT_EQ(TextOf(edit), L"") << "the edit control saw a key";
}

TEST_F(MenuTest, ShortcutAddReplacesAnEntryWithTheSameKeyAndModifiers) {
  ASSERT_TRUE(WindowOpen(0, 100, 80, 200, 100, L"", kAppFlags));
  const HACCEL navigation = WindowRecordOf(0)->acceleratorTable;
  const std::vector<ACCEL> initial = Entries(navigation);
  ASSERT_EQ(initial.size(), 2u);
  EXPECT_EQ(initial[0].fVirt, FVIRTKEY | FNOINVERT);
  EXPECT_EQ(initial[0].key, VK_TAB);
  EXPECT_EQ(initial[0].cmd, 64001);
  EXPECT_EQ(initial[1].fVirt, FVIRTKEY | FNOINVERT | FSHIFT);
  EXPECT_EQ(initial[1].key, VK_TAB);
  EXPECT_EQ(initial[1].cmd, 64002);

  const HACCEL first = ShortcutAdd(0, kCtrlQ, 1);
  ASSERT_TRUE(first);
  EXPECT_EQ(CopyAcceleratorTableW(navigation, nullptr, 0), 0) << "the previous table was not destroyed";
  const HACCEL second = ShortcutAdd(0, kCtrlQ, 7);
  ASSERT_TRUE(second);
  EXPECT_EQ(WindowRecordOf(0)->acceleratorTable, second);
  std::vector<ACCEL> entries = Entries(second);
  ASSERT_EQ(entries.size(), 3u) << "the same shortcut twice keeps one entry";
  EXPECT_EQ(entries[2].fVirt, FVIRTKEY | FNOINVERT | FCONTROL);
  EXPECT_EQ(entries[2].key, 'Q');
  EXPECT_EQ(entries[2].cmd, 7);
  // Other modifiers make another shortcut.
  entries = Entries(ShortcutAdd(0, kCtrlQ | ShortcutShift | ShortcutAlt, 0x10009));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[3].fVirt, FVIRTKEY | FNOINVERT | FCONTROL | FSHIFT | FALT);
  EXPECT_EQ(entries[3].cmd, 9) << "the command is the item's low 16 bits";
  EXPECT_EQ(WindowRecordOf(0)->acceleratorCount, 4);

  ASSERT_TRUE(wintest::BringToFront(WindowHandle(0)));
  DiscardEvents();
  const std::vector<std::int64_t> expected{7};
  EXPECT_EQ(MenuItems(KeyEvents('Q', true)), expected);
}

TEST_F(MenuTest, AnUnknownWindowGetsNoShortcut) { EXPECT_EQ(ShortcutAdd(9, kCtrlQ, 1), nullptr); }

TEST_F(MenuTest, ABoundTabDeliversItsItemAndShiftTabStillNavigates) {
  ASSERT_TRUE(WindowOpen(0, 100, 80, 200, 120, L"", kAppFlags));
  HWND window = WindowHandle(0);
  HWND first = AddControl(window, L"EDIT", 5);
  HWND second = AddControl(window, L"EDIT", 35);
  ShortcutAdd(0, VK_TAB, 5);
  const std::vector<ACCEL> entries = Entries(WindowRecordOf(0)->acceleratorTable);
  ASSERT_EQ(entries.size(), 2u) << "plain Tab replaces the navigation entry";
  EXPECT_EQ(entries[0].cmd, 5);
  ASSERT_TRUE(wintest::BringToFront(window));
  SetFocus(first);
  DiscardEvents();
  const std::vector<std::int64_t> expected{5};
  EXPECT_EQ(MenuItems(KeyEvents(VK_TAB)), expected);
  EXPECT_EQ(GetFocus(), first) << "Tab moved the focus";
  KeyEvents(VK_TAB, false, true);
  EXPECT_EQ(GetFocus(), second) << "Shift+Tab from the first stop goes to the last";
}

// A stand-in for a Scintilla editor: a control of that class name that keeps the characters
// it receives.
LRESULT CALLBACK ScintillaProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  if (message == WM_CHAR) {
    const std::wstring text = TextOf(window) + static_cast<wchar_t>(wParam);
    SetWindowTextW(window, text.c_str());
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class TabRuleTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    LoadLibraryW(L"riched20.dll");
    RegisterWindowClass(L"Scintilla", ScintillaProc);
    ASSERT_TRUE(WindowOpen(0, 100, 80, 240, 160, L"", kAppFlags));
    window_ = WindowHandle(0);
    first_ = AddControl(window_, L"EDIT", 5);
    ASSERT_TRUE(wintest::BringToFront(window_));
  }
  // Tab pressed in `control`: whether the focus left it, and the control's text afterwards.
  std::pair<bool, std::wstring> PressTabIn(HWND control) {
    SetFocus(control);
    DiscardEvents();
    KeyEvents(VK_TAB);
    return {GetFocus() != control, TextOf(control)};
  }
  HWND first_ = nullptr;
};

// An editable rich edit and Scintilla take the Tab; a read-only rich edit passes it on, from the
// last stop to the first.
TEST_F(TabRuleTest, EditorsTakeTheTabUnlessReadOnly) {
  struct Editor {
    const wchar_t* className;
    DWORD style;
    bool readOnly;
  };
  const Editor editors[] = {{L"RichEdit20W", ES_MULTILINE, false}, {L"RichEdit20W", ES_MULTILINE, true},
                            {L"Scintilla", 0, false}};
  for (const Editor& editor : editors) {
    SCOPED_TRACE(wintest::Narrow(editor.className) + (editor.readOnly ? " read-only" : ""));
    HWND control = AddControl(window_, editor.className, 35, editor.style);
    ASSERT_TRUE(control);
    if (editor.readOnly) SendMessageW(control, EM_SETOPTIONS, ECOOP_OR, ECO_READONLY);
    const auto [moved, text] = PressTabIn(control);
    EXPECT_EQ(moved, editor.readOnly);
    EXPECT_EQ(GetFocus(), editor.readOnly ? first_ : control);
    EXPECT_EQ(text, editor.readOnly ? L"" : L"\t");
    DestroyWindow(control);
  }
}

TEST_F(TabRuleTest, ABoundTabWinsOverTheRichEditRule) {
  HWND rich = AddControl(window_, L"RichEdit20W", 35, ES_MULTILINE);
  ASSERT_TRUE(rich);
  ShortcutAdd(0, VK_TAB, 5);
  SetFocus(rich);
  DiscardEvents();
  const std::vector<std::int64_t> expected{5};
  EXPECT_EQ(MenuItems(KeyEvents(VK_TAB)), expected);
  EXPECT_EQ(TextOf(rich), L"");
}

TEST_F(TabRuleTest, AHotKeyControlCapturesEveryCombination) {
  HWND hotkey = AddControl(window_, L"Scintilla", 35);
  SetPropW(hotkey, L"Orv_Hotkey", reinterpret_cast<HANDLE>(1));
  ShortcutAdd(0, kCtrlQ, 1);
  SetFocus(hotkey);
  DiscardEvents();
  EXPECT_TRUE(MenuItems(KeyEvents('Q', true)).empty());
  EXPECT_EQ(TextOf(hotkey), std::wstring(1, static_cast<wchar_t>(0x11))) << "the control got Ctrl+Q";
  SetFocus(first_);
  DiscardEvents();
  const std::vector<std::int64_t> expected{1};
  EXPECT_EQ(MenuItems(KeyEvents('Q', true)), expected);
  RemovePropW(hotkey, L"Orv_Hotkey");
}

TEST_F(MenuTest, AcceleratorsForIgnoresForeignWindows) {
  HWND plain = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(AcceleratorsFor(plain), nullptr);
  SetPropW(plain, L"Orv_WindowID", reinterpret_cast<HANDLE>(1));
  EXPECT_EQ(AcceleratorsFor(plain), nullptr) << "no window 0 is open";
  ASSERT_TRUE(WindowOpen(0, 10, 10, 100, 60, L"", kAppFlags));
  EXPECT_EQ(AcceleratorsFor(plain), nullptr) << "the property names window 0, which is another window";
  EXPECT_EQ(AcceleratorsFor(WindowHandle(0)), WindowRecordOf(0)->acceleratorTable);
  // Window 0 reopened: the new window, not the old handle, has its table.
  HWND old = WindowHandle(0);
  ASSERT_TRUE(WindowOpen(0, 10, 10, 100, 60, L"", kAppFlags));
  EXPECT_EQ(AcceleratorsFor(old), nullptr);
  EXPECT_EQ(AcceleratorsFor(WindowHandle(0)), WindowRecordOf(0)->acceleratorTable);
  EXPECT_EQ(AcceleratorsFor(nullptr), nullptr);
  DestroyWindow(plain);
}

TEST_F(MenuTest, ReusingAMenuNumberFreesTheOldBar) {
  ASSERT_TRUE(WindowOpen(0, 10, 10, 200, 100, L"", kAppFlags));
  HWND window = WindowHandle(0);
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
  HMENU first = reinterpret_cast<HMENU>(MenuCreate(0, window));
  MenuAddItem(4, L"Bare");  // no title yet: the item goes onto the bar itself
  ASSERT_EQ(GetMenu(window), first);
  EXPECT_EQ(GetMenuItemID(first, 0), 4u);
  const auto subclassed = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
  EXPECT_NE(subclassed, original);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropW(window, L"orv_menu_callback")), original);
  HMENU second = reinterpret_cast<HMENU>(MenuCreate(0, window));
  EXPECT_FALSE(IsMenu(first)) << "the old bar was not destroyed";
  EXPECT_EQ(GetMenu(window), nullptr) << "the old bar was not detached";
  EXPECT_EQ(MenuHandle(0), second);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), subclassed)
      << "a window is subclassed once";
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropW(window, L"orv_menu_callback")), original);
  MenuHide(0, 0);
  EXPECT_EQ(GetMenu(window), second);
  MenuHide(9, 1);  // unknown: nothing
  EXPECT_EQ(GetMenu(window), second);
}

TEST_F(MenuTest, DestroyingTheWindowReleasesTheAttachedBarsRecordOnly) {
  ASSERT_TRUE(WindowOpen(0, 10, 10, 200, 100, L"", kAppFlags));
  HWND window = WindowHandle(0);
  MenuCreate(4, window);
  MenuAddTitle(L"Attached");
  const std::int64_t detached = MenuCreate(-1, window);
  ASSERT_NE(detached, 0);
  EXPECT_NE(MenuHandle(detached), nullptr);
  MenuAddTitle(L"Detached");
  MenuHide(detached, 1);
  MenuHide(4, 0);
  ASSERT_EQ(GetMenu(window), MenuHandle(4));
  HMENU detachedBar = MenuHandle(detached);
  WindowClose(0);
  EXPECT_EQ(MenuHandle(4), nullptr) << "the attached bar died with the window";
  EXPECT_EQ(MenuHandle(detached), detachedBar) << "a detached bar keeps its record";
  // The building state forgot the released menu: these reach no freed record.
  MenuAddItem(1, L"after");
  MenuAddTitle(L"after");
  MenuFree(detached);
  EXPECT_EQ(MenuHandle(detached), nullptr);
  EXPECT_FALSE(IsMenu(detachedBar));
  MenuAddItem(1, L"after the free");
}

}  // namespace
