// ROT47, the scrambling of the credentials stored in reboot.prefs: the 94 printable ASCII
// characters 0x21..0x7E are rotated by 47 places, every other UTF-16 unit stays, and applying it
// twice gives the text back. It keeps the values from being read at a glance; it is no
// protection. Platform-free (UTF-16 as char16_t).
#pragma once

// Scrambles (or unscrambles) a zero-terminated text in place; null is ignored.
void Rot47Apply(char16_t* text);
