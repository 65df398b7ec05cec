// The gadget registry shared by the gadget kinds and the window layer: the gadget state (which
// window new gadgets go onto, and their font), the gadget table, the creation path every kind
// follows, and the lookup from a control handle to its gadget. Every gadget control carries
// its number (or dynamic identity) twice: as its window ID and as the property "Orv_ID".
#pragma once

#include <windows.h>

#include <cstdint>

#include "gui/gadget/gadget_record.h"
#include "runtime/object_table.h"

// Gadget event subtypes the edit kind posts itself (the others are notification codes).
constexpr std::int64_t FocusGained = 14000;
constexpr std::int64_t FocusLost = 14001;

struct GadgetState {
  HWND currentParent;  // the window whose gadget list is current; null when none is
  HFONT gadgetFont;    // sent to every new gadget
};

// For GadgetInit: the gadget table, whose records `freeGadget` releases, and the gadget state,
// whose font is `font` until changed.
void GadgetRegistryInit(HFONT font, ObjectFreeProc freeGadget);
GadgetState* GadgetStateGet();
ObjectTable* GadgetTableGet();

// A kind's table, filled by `fillSlots` the first time a gadget of the kind is created.
struct GadgetKind {
  GadgetKindTable table;
  bool filled;
  std::int32_t kindCode;
  void (*fillSlots)(GadgetKindTable* table);
};

// What one creation asks of the common path. `kindStep`, if set, runs after the record is
// allocated and before GadgetRegister, so that a procedure it installs lies beneath
// GadgetSubclassProc.
struct GadgetCreation {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
  void (*kindStep)(GadgetRecord* record, HWND control);
};

// The creation path of every kind: creates the control on the current gadget list's window,
// takes the number's record (destroying a gadget that held it) and registers the gadget.
// Returns the control handle, the dynamic identity for AnyNumber, or 0 when the control cannot
// be created (a gadget that held the number is then left alone).
std::int64_t GadgetCreateControl(GadgetKind* kind, const GadgetCreation& creation, ObjectNumber number, int x, int y,
                                 int width, int height, const wchar_t* text);
// Makes `control` the gadget `number` (or a dynamic one for AnyNumber) in `record`: window ID,
// "Orv_ID", GadgetSubclassProc, the gadget font. Returns as GadgetCreateControl.
std::int64_t GadgetRegister(ObjectNumber number, GadgetRecord* record, HWND control, const GadgetKindTable* kind);

// The gadget whose control is `control`, or null: the gadget its window ID (and so its
// "Orv_ID") names must own this very control.
GadgetRecord* GadgetFromHandle(HWND control);
// The number of the toolkit window a control sits on: the nearest window, from the control
// up through its parents, carrying "Orv_WindowID", whose value minus 1 it is; -1 if none does.
std::int64_t GadgetWindowNumber(HWND control);
// A control's gadget identity (its window ID).
ObjectNumber GadgetIdentityOf(HWND control);
