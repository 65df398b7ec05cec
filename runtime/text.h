// Texts and numbers. A text is zero-terminated UTF-16; a null text counts as empty wherever a
// text is read, and lengths and comparisons count code units.
//
// Text results are `Text` values: each owns its units in the StringHeap, so a caller may keep
// any result for as long as it likes. Results are built in one reusable scratch buffer and then
// copied out at their exact size. A Text that outlives the StringHeap (StringsShutdown destroys
// it with every text in it) frees nothing on destruction: it knows which heap it came from.
//
// A secret text (Text::Secret, and every copy of one) overwrites its units with zeros
// (SecureZeroMemory) before it frees them, so that a password leaves nothing behind in freed
// heap memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

void StringsInit();
void StringsShutdown();

class Text {
 public:
  Text() noexcept = default;
  Text(const wchar_t* units);  // NOLINT(google-explicit-constructor): texts read like literals
  Text(const wchar_t* units, std::int64_t count);
  Text(const Text& other);
  Text& operator=(const Text& other);
  Text(Text&& other) noexcept;
  Text& operator=(Text&& other) noexcept;
  ~Text();
  // A copy of `count` units that is wiped when it is released.
  static Text Secret(const wchar_t* units, std::int64_t count);

  const wchar_t* c_str() const noexcept { return units_ ? units_ : L""; }
  std::int64_t size() const noexcept { return length_; }
  bool empty() const noexcept { return length_ == 0; }
  bool secret() const noexcept { return secret_; }

 private:
  void Assign(const wchar_t* units, std::int64_t count);
  void Release() noexcept;

  wchar_t* units_ = nullptr;
  std::int64_t length_ = 0;
  std::uint32_t heapGeneration_ = 0;  // the StringHeap the units live in; 0: the process heap
  bool secret_ = false;
};

// Decimal digits, a leading '-' for negative values, no grouping or leading zeros.
Text NumberToText(std::int64_t value);
// UTF-16 units before the terminator; null gives 0.
std::int64_t TextLength(const wchar_t* text);
// 1 when equal unit for unit (case-sensitive, no locale), else 0; null equals the empty text.
int TextEqual(const wchar_t* a, const wchar_t* b);
// Wide printf-style formatting (_vsnwprintf) into a buffer of `capacity` units, at most
// capacity - 1 of them text, always terminated. Returns the number of units written, or -1 when
// the text did not fit (the buffer then holds as much of it as fits).
int FormatText(wchar_t* buffer, std::size_t capacity, const wchar_t* format, ...);
// The texts one after another.
Text TextJoin(std::initializer_list<const wchar_t*> parts);

// The scratch buffer results are built in: room for at least `units` units. It starts at 16
// bytes, grows to the need plus 16384 bytes, and while larger than 1 MiB is shrunk back toward
// 1 MiB at its next use.
wchar_t* TextScratch(std::size_t units);
std::size_t TextScratchBytes();
