// The gadget layer's records: one GadgetRecord per live gadget, and one GadgetKindTable per
// kind, through which the common operations reach what a kind does differently. A slot left
// null means the common default applies.
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/text.h"

enum GadgetKindCode : std::int32_t {
  ButtonKind = 1,
  EditKind = 2,
  LabelKind = 3,
};

// Colour types of the SetColor / GetColor slots.
enum GadgetColorType : std::int32_t {
  FrontColor = 1,
  BackColor = 2,
};

// Attributes of the SetAttribute / GetAttribute slots.
enum GadgetAttributeCode : std::int32_t {
  MaxLength = 1,
};

// The colour value meaning "the system default".
constexpr std::int64_t DefaultColor = -1;

struct GadgetKindTable;

struct GadgetRecord {
  HWND control;  // first: the gadget table treats a record whose first field is null as free
  const GadgetKindTable* kind;
  WNDPROC previousProc;  // what was installed on the control before GadgetSubclassProc
  std::int64_t backColor;
  std::int64_t frontColor;
  HBRUSH backBrush;  // from the BrushCache for backColor, or null
};

struct GadgetKindTable {
  std::int32_t kindCode;
  std::int32_t size;  // sizeof(GadgetKindTable)
  // Returns NotHandled when the message is not the kind's business.
  std::int64_t (*parentMessage)(GadgetRecord* record, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void (*freeKindData)(GadgetRecord* record);
  std::int64_t (*getState)(GadgetRecord* record);
  void (*setState)(GadgetRecord* record, std::int64_t value);
  Text (*getText)(GadgetRecord* record);
  void (*setText)(GadgetRecord* record, const wchar_t* text);
  std::int64_t (*getAttribute)(GadgetRecord* record, std::int32_t attribute);
  void (*setAttribute)(GadgetRecord* record, std::int32_t attribute, std::int64_t value);
  void (*setColor)(GadgetRecord* record, std::int32_t colorType, std::int32_t color);
  std::int64_t (*getColor)(GadgetRecord* record, std::int32_t colorType);
  void (*requiredSize)(GadgetRecord* record, std::int32_t* width, std::int32_t* height);
  void (*takeFocus)(GadgetRecord* record);
};
