// The three kinds: classes, styles and the extended-style rule, the slots of their kind
// tables, colours answered on the parent's colour messages with shared brushes, button state,
// and RequiredSize against the test's own measurement of the same font.
#include <windows.h>

#include <gtest/gtest.h>

#include "gui/gadget/button_gadget.h"
#include "gui/gadget/edit_gadget.h"
#include "gui/gadget/gadget.h"
#include "gui/gadget/gadget_hooks.h"
#include "gui/gadget/gadget_registry.h"
#include "gui/gadget/label_gadget.h"
#include "gui/not_handled.h"
#include "tests/gui/gadget/gadget_test_support.h"
#include "tests/support/win_test.h"

namespace {

using KindTest = GadgetWindowTest;

using Creator = std::int64_t (*)(ObjectNumber, int, int, int, int, const wchar_t*, std::uint32_t);

struct StyleRow {
  const char* name;
  Creator create;
  std::uint32_t flags;
  const wchar_t* className;
  LONG_PTR style;
  bool clientEdge;
};

class StyleTest : public GadgetWindowTest, public testing::WithParamInterface<StyleRow> {};

TEST_P(StyleTest, ClassStyleAndEdgeFollowTheFlags) {
  const StyleRow& row = GetParam();
  ASSERT_NE(row.create(1, 10, 10, 120, 24, L"text", row.flags), 0);
  HWND control = GadgetHandle(1);
  wchar_t className[32] = {};
  GetClassNameW(control, className, 32);
  EXPECT_EQ(std::wstring(className), std::wstring(row.className));
  EXPECT_EQ(GetWindowLongPtrW(control, GWL_STYLE), row.style);
  EXPECT_EQ((GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, row.clientEdge);
  // A sunken edge takes its width from the client area.
  RECT window;
  RECT client;
  GetWindowRect(control, &window);
  GetClientRect(control, &client);
  const int edge = row.clientEdge ? 2 * GetSystemMetrics(SM_CXEDGE) : 0;
  EXPECT_EQ(client.right, window.right - window.left - edge);
}

// Label 0x50020080, edit 0x50030080, button 0x50030000; other flag bits are the class's own.
INSTANTIATE_TEST_SUITE_P(
    Rows, StyleTest,
    testing::Values(StyleRow{"LabelPlain", GadgetCreateLabel, 0, L"Static", 0x50020080, false},
                    StyleRow{"LabelSunken", GadgetCreateLabel, 0x20000, L"Static", 0x50020080, true},
                    StyleRow{"LabelCentred", GadgetCreateLabel, SS_CENTER, L"Static", 0x50020081, false},
                    StyleRow{"EditPlain", GadgetCreateEdit, 0, L"Edit", 0x50030080, true},
                    StyleRow{"EditBorderless", GadgetCreateEdit, 0x20000, L"Edit", 0x50030080, false},
                    StyleRow{"EditNumber", GadgetCreateEdit, ES_NUMBER, L"Edit", 0x50032080, true},
                    StyleRow{"ButtonPlain", GadgetCreateButton, 0, L"Button", 0x50030000, false},
                    StyleRow{"ButtonDefault", GadgetCreateButton, BS_DEFPUSHBUTTON, L"Button", 0x50030001, false},
                    StyleRow{"ButtonIgnoresEdgeFlag", GadgetCreateButton, 0x20000, L"Button", 0x50030000, false}),
    [](const testing::TestParamInfo<StyleRow>& info) { return std::string(info.param.name); });

struct SlotRow {
  const char* name;
  Creator create;
  std::int32_t kindCode;
  bool parentMessage, freeKindData, getState, setState, getAttribute, setAttribute, colours, requiredSize;
};

class SlotTest : public GadgetWindowTest, public testing::WithParamInterface<SlotRow> {};

TEST_P(SlotTest, TheKindTableHoldsTheKindsOperations) {
  const SlotRow& row = GetParam();
  ASSERT_NE(row.create(1, 10, 10, 120, 24, L"slots", 0), 0);
  GadgetRecord* record = GadgetFromHandle(GadgetHandle(1));
  ASSERT_NE(record, nullptr);
  const GadgetKindTable* kind = record->kind;
  EXPECT_EQ(kind->kindCode, row.kindCode);
  EXPECT_EQ(kind->size, static_cast<std::int32_t>(sizeof(GadgetKindTable)));
  EXPECT_EQ(kind->parentMessage != nullptr, row.parentMessage);
  EXPECT_EQ(kind->freeKindData != nullptr, row.freeKindData);
  EXPECT_EQ(kind->getState != nullptr, row.getState);
  EXPECT_EQ(kind->setState != nullptr, row.setState);
  EXPECT_EQ(kind->getText, nullptr);
  EXPECT_EQ(kind->setText, nullptr);
  EXPECT_EQ(kind->getAttribute != nullptr, row.getAttribute);
  EXPECT_EQ(kind->setAttribute != nullptr, row.setAttribute);
  EXPECT_EQ(kind->setColor != nullptr, row.colours);
  EXPECT_EQ(kind->getColor != nullptr, row.colours);
  EXPECT_EQ(kind->requiredSize != nullptr, row.requiredSize);
  EXPECT_EQ(kind->takeFocus, nullptr);
  // One table per kind, shared by its gadgets.
  ASSERT_NE(row.create(2, 10, 40, 120, 24, L"second", 0), 0);
  EXPECT_EQ(GadgetFromHandle(GadgetHandle(2))->kind, kind);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SlotTest,
    testing::Values(SlotRow{"Label", GadgetCreateLabel, LabelKind, true, true, false, false, false, false, true, true},
                    SlotRow{"Edit", GadgetCreateEdit, EditKind, true, true, false, false, true, true, true, true},
                    SlotRow{"Button", GadgetCreateButton, ButtonKind, false, false, true, true, false, false, false,
                            true}),
    [](const testing::TestParamInfo<SlotRow>& info) { return std::string(info.param.name); });

// A colour message about a gadget's control, answered as the window layer does.
struct ColourAnswer {
  LRESULT result;
  COLORREF text;
  COLORREF background;
};

ColourAnswer AskColour(HWND window, HWND control, UINT message) {
  HDC dc = GetDC(control);
  SetTextColor(dc, RGB(9, 9, 9));
  SetBkColor(dc, RGB(8, 8, 8));
  ColourAnswer answer{};
  answer.result = GadgetOfferMessage(control, window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  answer.text = GetTextColor(dc);
  answer.background = GetBkColor(dc);
  ReleaseDC(control, dc);
  return answer;
}

GadgetRecord* RecordOf(ObjectNumber number) { return GadgetFromHandle(GadgetHandle(number)); }

void SetColour(ObjectNumber number, std::int32_t type, std::int32_t colour) {
  GadgetRecord* record = RecordOf(number);
  record->kind->setColor(record, type, colour);
}

COLORREF BrushColour(LRESULT brush) {
  LOGBRUSH logical{};
  GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof logical, &logical);
  return logical.lbColor;
}

TEST_F(KindTest, WithoutColoursLabelAndEditAnswerNotHandled) {
  ASSERT_NE(GadgetCreateLabel(1, 10, 10, 120, 20, L"label"), 0);
  ASSERT_NE(GadgetCreateEdit(2, 10, 40, 120, 22, L"edit"), 0);
  ASSERT_NE(GadgetCreateButton(3, 10, 70, 120, 24, L"button"), 0);
  EXPECT_EQ(RecordOf(1)->frontColor, -1);
  EXPECT_EQ(RecordOf(1)->backColor, -1);
  EXPECT_EQ(RecordOf(2)->frontColor, -1);
  EXPECT_EQ(RecordOf(2)->backColor, -1);
  const LRESULT notHandled = static_cast<LRESULT>(NotHandled);
  EXPECT_EQ(AskColour(window_, GadgetHandle(1), WM_CTLCOLORSTATIC).result, notHandled);
  EXPECT_EQ(AskColour(window_, GadgetHandle(2), WM_CTLCOLOREDIT).result, notHandled);
  EXPECT_EQ(AskColour(window_, GadgetHandle(2), WM_CTLCOLORSTATIC).result, notHandled);
  EXPECT_EQ(AskColour(window_, GadgetHandle(3), WM_CTLCOLORBTN).result, notHandled);
  // Through the window procedure the default processing answers: the system's brush.
  HDC dc = GetDC(GadgetHandle(1));
  EXPECT_EQ(SendMessageW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GadgetHandle(1))),
            DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GadgetHandle(1))));
  ReleaseDC(GadgetHandle(1), dc);
}

TEST_F(KindTest, ABackColourIsAnsweredWithItsBrushOnTheKindsMessagesOnly) {
  ASSERT_NE(GadgetCreateLabel(1, 10, 10, 120, 20, L"label"), 0);
  ASSERT_NE(GadgetCreateEdit(2, 10, 40, 120, 22, L"edit"), 0);
  SetColour(1, BackColor, RGB(10, 20, 30));
  SetColour(2, BackColor, RGB(40, 50, 60));
  const ColourAnswer label = AskColour(window_, GadgetHandle(1), WM_CTLCOLORSTATIC);
  EXPECT_EQ(BrushColour(label.result), RGB(10, 20, 30));
  EXPECT_EQ(label.background, RGB(10, 20, 30));
  EXPECT_EQ(label.text, RGB(9, 9, 9)) << "no front colour: the text colour is left alone";
  const ColourAnswer edit = AskColour(window_, GadgetHandle(2), WM_CTLCOLOREDIT);
  EXPECT_EQ(BrushColour(edit.result), RGB(40, 50, 60));
  EXPECT_EQ(AskColour(window_, GadgetHandle(2), WM_CTLCOLORSTATIC).result, edit.result) << "read-only look, enabled";
  const LRESULT notHandled = static_cast<LRESULT>(NotHandled);
  EXPECT_EQ(AskColour(window_, GadgetHandle(1), WM_CTLCOLOREDIT).result, notHandled);
  EXPECT_EQ(AskColour(window_, GadgetHandle(1), WM_CTLCOLORBTN).result, notHandled);
  EXPECT_EQ(AskColour(window_, GadgetHandle(2), WM_CTLCOLORLISTBOX).result, notHandled);
  EXPECT_EQ(GadgetOfferMessage(GadgetHandle(1), window_, WM_COMMAND, 0, reinterpret_cast<LPARAM>(GadgetHandle(1))),
            notHandled);
  EnableWindow(GadgetHandle(2), FALSE);
  EXPECT_EQ(AskColour(window_, GadgetHandle(2), WM_CTLCOLORSTATIC).result, notHandled) << "a disabled edit";
  EXPECT_EQ(BrushColour(AskColour(window_, GadgetHandle(2), WM_CTLCOLOREDIT).result), RGB(40, 50, 60));
}

TEST_F(KindTest, AFrontColourAloneUsesTheKindsSystemBackground) {
  ASSERT_NE(GadgetCreateLabel(1, 10, 10, 120, 20, L"label"), 0);
  ASSERT_NE(GadgetCreateEdit(2, 10, 40, 120, 22, L"edit"), 0);
  SetColour(1, FrontColor, RGB(200, 0, 0));
  SetColour(2, FrontColor, RGB(0, 200, 0));
  const ColourAnswer label = AskColour(window_, GadgetHandle(1), WM_CTLCOLORSTATIC);
  EXPECT_EQ(label.result, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
  EXPECT_EQ(label.text, RGB(200, 0, 0));
  EXPECT_EQ(label.background, GetSysColor(COLOR_BTNFACE));
  const ColourAnswer edit = AskColour(window_, GadgetHandle(2), WM_CTLCOLOREDIT);
  EXPECT_EQ(edit.result, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)));
  EXPECT_EQ(edit.text, RGB(0, 200, 0));
  EXPECT_EQ(edit.background, GetSysColor(COLOR_WINDOW));
  const ColourAnswer readOnly = AskColour(window_, GadgetHandle(2), WM_CTLCOLORSTATIC);
  EXPECT_EQ(readOnly.result, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));

  GadgetRecord* record = RecordOf(1);
  EXPECT_EQ(record->kind->getColor(record, FrontColor), RGB(200, 0, 0));
  EXPECT_EQ(record->kind->getColor(record, BackColor), -1);
  EXPECT_EQ(record->kind->getColor(record, 3), -1);
  record->kind->setColor(record, 3, RGB(1, 1, 1));  // no such colour type: nothing changes
  EXPECT_EQ(record->kind->getColor(record, FrontColor), RGB(200, 0, 0));
  SetColour(1, FrontColor, -1);
  EXPECT_EQ(AskColour(window_, GadgetHandle(1), WM_CTLCOLORSTATIC).result, static_cast<LRESULT>(NotHandled));
}

TEST_F(KindTest, OneBrushPerColourIsSharedAndDeletedAtTheLastRelease) {
  ASSERT_NE(GadgetCreateLabel(1, 10, 10, 120, 20, L"one"), 0);
  ASSERT_NE(GadgetCreateLabel(2, 10, 40, 120, 20, L"two"), 0);
  ASSERT_NE(GadgetCreateEdit(3, 10, 70, 120, 22, L"three"), 0);
  SetColour(1, BackColor, RGB(1, 2, 3));
  SetColour(2, BackColor, RGB(1, 2, 3));
  SetColour(3, BackColor, RGB(1, 2, 3));
  HBRUSH shared = RecordOf(1)->backBrush;
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(RecordOf(2)->backBrush, shared);
  EXPECT_EQ(RecordOf(3)->backBrush, shared);
  EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_BRUSH));

  SetColour(1, BackColor, RGB(4, 5, 6));  // moves to a brush of its own
  HBRUSH other = RecordOf(1)->backBrush;
  EXPECT_NE(other, shared);
  EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_BRUSH)) << "two holders remain";
  GadgetFree(2);
  EXPECT_EQ(GetObjectType(shared), static_cast<DWORD>(OBJ_BRUSH)) << "one holder remains";
  GadgetFree(3);
  EXPECT_EQ(GetObjectType(shared), 0u) << "the last release deletes the brush";
  SetColour(1, BackColor, -1);
  EXPECT_EQ(RecordOf(1)->backBrush, nullptr);
  EXPECT_EQ(GetObjectType(other), 0u);
  EXPECT_EQ(AskColour(window_, GadgetHandle(1), WM_CTLCOLORSTATIC).result, static_cast<LRESULT>(NotHandled));

  // The colour is looked up afresh after its brush is gone.
  SetColour(1, BackColor, RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(RecordOf(1)->backBrush), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(BrushColour(reinterpret_cast<LRESULT>(RecordOf(1)->backBrush)), RGB(1, 2, 3));
}

TEST_F(KindTest, ALabelIsPaintedInItsBackColour) {
  ASSERT_NE(GadgetCreateLabel(1, 10, 10, 120, 30, L""), 0);
  HWND control = GadgetHandle(1);
  auto pixel = [&] {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    wintest::Pump(30);
    HDC dc = GetDC(control);
    const COLORREF colour = GetPixel(dc, 60, 15);
    ReleaseDC(control, dc);
    return colour;
  };
  EXPECT_EQ(pixel(), GetSysColor(COLOR_BTNFACE)) << "system colours without a colour set";
  SetColour(1, BackColor, RGB(0, 128, 255));
  EXPECT_EQ(pixel(), RGB(0, 128, 255));
}

TEST_F(KindTest, ButtonStateIsTheLowBitOfTheCheck) {
  ASSERT_NE(GadgetCreateButton(1, 10, 10, 120, 24, L"check", BS_AUTO3STATE), 0);
  GadgetRecord* record = RecordOf(1);
  EXPECT_EQ(record->kind->getState(record), 0);
  record->kind->setState(record, 5);
  EXPECT_EQ(SendMessageW(GadgetHandle(1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(record->kind->getState(record), 1);
  record->kind->setState(record, 0);
  EXPECT_EQ(record->kind->getState(record), 0);
  SendMessageW(GadgetHandle(1), BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(record->kind->getState(record), 0) << "indeterminate (2) has the low bit clear";
}

// The test's own measurement: the font selected into a memory DC.
class Measure {
 public:
  explicit Measure(HFONT font) : dc_(CreateCompatibleDC(nullptr)), previous_(SelectObject(dc_, font)) {}
  ~Measure() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  Measure(const Measure&) = delete;
  Measure& operator=(const Measure&) = delete;
  SIZE Extent(const std::wstring& text) const {
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
  }
  RECT Rectangle(const std::wstring& text) const {
    RECT bounds{0, 0, 0, 0};
    DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_NOPREFIX);
    return bounds;
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

SIZE RequiredSizeOf(ObjectNumber number) {
  GadgetRecord* record = RecordOf(number);
  std::int32_t width = -1;
  std::int32_t height = -1;
  record->kind->requiredSize(record, &width, &height);
  return SIZE{width, height};
}

TEST_F(KindTest, LabelRequiredSizeIsTheTextRectangleWithItsBorder) {
  const std::wstring text = L"User Notification:\r\n(512 Chars Left) & more";
  ASSERT_NE(GadgetCreateLabel(1, 10, 10, 100, 30, text.c_str()), 0);
  ASSERT_NE(GadgetCreateLabel(2, 10, 50, 100, 30, text.c_str(), 0x20000), 0);
  const Measure measure(DefaultGadgetFont());
  const RECT bounds = measure.Rectangle(text);
  ASSERT_GT(bounds.bottom, measure.Extent(L"Hg").cy) << "two lines are measured";
  SIZE size = RequiredSizeOf(1);
  EXPECT_EQ(size.cx, bounds.right + 2);
  EXPECT_EQ(size.cy, bounds.bottom + 2);
  size = RequiredSizeOf(2);
  EXPECT_EQ(size.cx, bounds.right + 2 * GetSystemMetrics(SM_CXEDGE));
  EXPECT_EQ(size.cy, bounds.bottom + 2 * GetSystemMetrics(SM_CYEDGE));
}

TEST_F(KindTest, EditRequiredSizeIsOneLineOfText) {
  ASSERT_NE(GadgetCreateEdit(1, 10, 10, 200, 22, L"a much longer text than Hg"), 0);
  const Measure measure(DefaultGadgetFont());
  const SIZE size = RequiredSizeOf(1);
  EXPECT_EQ(size.cx, 2 * GetSystemMetrics(SM_CXEDGE));
  EXPECT_EQ(size.cy, measure.Extent(L"Hg").cy + 2 * GetSystemMetrics(SM_CYEDGE));
}

TEST(ButtonRequiredHeight, HeightsFrom18To23GrowBy127CappedAt24) {
  const std::pair<std::int32_t, std::int32_t> rows[] = {{0, 0},   {12, 12}, {17, 17}, {18, 22}, {19, 24},
                                                         {20, 24}, {23, 24}, {24, 24}, {25, 25}, {40, 40}};
  for (const auto& [given, expected] : rows) EXPECT_EQ(ButtonRequiredHeight(given), expected) << "for " << given;
}

TEST_F(KindTest, ButtonRequiredSizeIsThePaddedTextExtentInEveryHeightBand) {
  ASSERT_NE(GadgetCreateButton(1, 10, 10, 120, 30, L"Reset Credentials"), 0);
  const int edgeX = 2 * GetSystemMetrics(SM_CXEDGE);
  const int edgeY = 2 * GetSystemMetrics(SM_CYEDGE);
  bool below = false, grown = false, above = false;
  for (int cell = 8; cell <= 30; ++cell) {
    HFONT font = CreateFontW(cell, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    SendMessageW(GadgetHandle(1), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SIZE text{};
    {
      const Measure measure(font);
      text = measure.Extent(L"Reset Credentials");
    }
    const SIZE size = RequiredSizeOf(1);
    const int plain = text.cy + edgeY;
    int expected = plain;
    if (plain >= 18 && plain < 24) {
      expected = static_cast<int>(static_cast<float>(plain) * 1.27f);
      if (expected > 24) expected = 24;
      grown = true;
    }
    below = below || plain < 18;
    above = above || plain >= 24;
    EXPECT_EQ(size.cx, text.cx + edgeX + 10) << "font cell " << cell;
    EXPECT_EQ(size.cy, expected) << "font cell " << cell << ", text height with edges " << plain;
    SendMessageW(GadgetHandle(1), WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGadgetFont()), FALSE);
    DeleteObject(font);
  }
  EXPECT_TRUE(below && grown && above) << "the fonts cover every band";
}

}  // namespace
