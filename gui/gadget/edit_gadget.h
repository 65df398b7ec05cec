// The edit kind: a one-line "Edit" control with a sunken client edge (flag 0x20000 removes
// it); every other flag bit is passed into the control's style (0x2000, ES_NUMBER, makes it
// accept only typed digits). Its own window procedure posts gadget events
// FocusGained / FocusLost and selects the whole text on Ctrl+A. Attribute MaxLength limits the
// text the user can type.
#pragma once

#include <cstdint>

#include "runtime/object_table.h"

// Returns the control handle, the dynamic identity for AnyNumber, or 0 if it cannot be created.
std::int64_t GadgetCreateEdit(ObjectNumber number, int x, int y, int width, int height, const wchar_t* text,
                              std::uint32_t flags = 0);
