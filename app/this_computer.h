// Whether a computer name, as typed, is the computer the tool runs on.
#pragma once

// True for ".", "localhost", this computer's NetBIOS, DNS host and fully qualified DNS names, a
// loopback address (127.0.0.0/8, ::1) and an address of one of its network adapters, written as
// Windows reads an address literal (IPv4 as inet_addr takes it, IPv6 in its text and UNC forms);
// compared exactly but for letter case. Nothing is looked up on the network: a lookup can take
// seconds and sends traffic.
bool IsThisComputer(const wchar_t* name);
