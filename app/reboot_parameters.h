// The parameter text of the reboot request: the switches for a forced restart of one remote
// computer after a timeout, with a comment for its user. Every field reaches shutdown.exe as
// exactly the text that was typed: the text is built so that splitting it by the standard
// command-line rules (CommandLineToArgvW, the C runtime's argv) gives back
//   /r  /f  /m  \\<name>  /t  <timeout>  -c  <notice>
// Platform-free (UTF-16 as char16_t), so the quoting is tested natively as well.
#pragma once

#include <cstddef>

// Writes the parameter text to `out` (when not null) without a terminator and returns its
// length in UTF-16 units; call it with null first to size the buffer. Null fields count as
// empty. The notice is always quoted; "\\" + name and the timeout are quoted only when they hold
// a blank, a tab or a double quote, so ordinary input gives the plain text
//   /r /f /m \\<name> /t <timeout> -c "<notice>"
// An empty timeout inserts nothing between " /t " and " -c ".
std::size_t RebootParametersBuild(const char16_t* name, const char16_t* timeout, const char16_t* notice,
                                  char16_t* out);
