// The button kind: a "Button" push button. A click reaches the application as one gadget event
// with subtype 0 (BN_CLICKED). Flag bits are passed into the control's style.
#pragma once

#include <cstdint>

#include "runtime/object_table.h"

// Returns the control handle, the dynamic identity for AnyNumber, or 0 if it cannot be created.
std::int64_t GadgetCreateButton(ObjectNumber number, int x, int y, int width, int height, const wchar_t* text,
                                std::uint32_t flags = 0);

// The height a button reports for its text height plus edges: heights from 18 up to 23 grow by
// the factor 1.27 (single precision, truncated), at most to 24; others stay as they are.
std::int32_t ButtonRequiredHeight(std::int32_t textHeightWithEdges);
