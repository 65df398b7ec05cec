// The label kind: a "Static" text control (SS_NOPREFIX, so '&' shows as itself), with the
// colour scheme of gadget_color.h. Flag 0x20000 gives it a sunken client edge; every other
// flag bit is passed into the control's style.
#pragma once

#include <cstdint>

#include "runtime/object_table.h"

// Returns the control handle, the dynamic identity for AnyNumber, or 0 if it cannot be created.
std::int64_t GadgetCreateLabel(ObjectNumber number, int x, int y, int width, int height, const wchar_t* text,
                               std::uint32_t flags = 0);
