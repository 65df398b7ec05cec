// The image-drawing start-up step: msimg32.dll's AlphaBlend, kept for drawing with an alpha
// channel, and whether visual styles are active (comctl32 6.0 or later with a theme in use).
// Every entry point is looked up at run time, so the program loads where a library is missing.
#pragma once

#include <windows.h>

using AlphaBlendProc = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

// Start-up step: loads msimg32.dll (kept loaded) and makes the visual-styles check.
void ImageDrawingInit();
// Teardown step: releases msimg32.dll.
void ImageDrawingEnd();

// Null when msimg32.dll or its AlphaBlend is missing, and outside Init .. End.
AlphaBlendProc ImageDrawingAlphaBlend();
// The loaded comctl32's version as major * 65536 + minor; 1 when it cannot be asked.
DWORD ImageDrawingCommonControlsVersion();
bool ImageDrawingVisualStyles();
