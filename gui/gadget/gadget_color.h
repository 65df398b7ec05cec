// The colour scheme of the label and edit kinds: a front (text) and a back colour per gadget,
// -1 for the system default, answered on the parent's WM_CTLCOLOR* messages with the back
// brush from the BrushCache. With both colours at the default the answer is NotHandled, and
// the control draws in system colours.
#pragma once

#include <windows.h>

#include <cstdint>

#include "gui/gadget/gadget_record.h"

// The answer to a colour message whose device context is `dc`; `defaultIndex` is the
// GetSysColor index of the kind's background, used when only the front colour is set.
std::int64_t GadgetColorMessage(GadgetRecord* record, HDC dc, int defaultIndex);
// The SetColor, GetColor and FreeKindData slots of the kinds that have colours.
void GadgetColorSet(GadgetRecord* record, std::int32_t colorType, std::int32_t color);
std::int64_t GadgetColorGet(GadgetRecord* record, std::int32_t colorType);
void GadgetColorFree(GadgetRecord* record);
