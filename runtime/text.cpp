#include "runtime/text.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kScratchStart = 16;
constexpr std::size_t kScratchSlack = 16384;
constexpr std::size_t kScratchShrinkAbove = 1048576;

struct StringsState {
  HANDLE heap;
  std::uint32_t generation;  // 1 and up, bumped for every StringHeap, so stale texts are recognised
  wchar_t* scratch;
  std::size_t scratchBytes;
};
StringsState strings{};

bool HeapAlive(std::uint32_t generation) { return strings.heap && generation == strings.generation; }

}  // namespace

void StringsInit() {
  if (strings.heap) return;
  strings.heap = HeapCreate(0, 4096, 0);
  ++strings.generation;
  strings.scratch = static_cast<wchar_t*>(HeapAlloc(strings.heap, HEAP_ZERO_MEMORY, kScratchStart));
  strings.scratchBytes = strings.scratch ? kScratchStart : 0;
}

void StringsShutdown() {
  if (!strings.heap) return;
  HeapFree(strings.heap, 0, strings.scratch);
  HeapDestroy(strings.heap);
  strings.heap = nullptr;
  strings.scratch = nullptr;
  strings.scratchBytes = 0;
}

wchar_t* TextScratch(std::size_t units) {
  if (!strings.heap) return nullptr;
  const std::size_t need = (units + 1) * sizeof(wchar_t);
  std::size_t wanted = strings.scratchBytes;
  if (need > strings.scratchBytes) {
    wanted = need + kScratchSlack;
  } else if (strings.scratchBytes > kScratchShrinkAbove) {
    wanted = need > kScratchShrinkAbove ? need : kScratchShrinkAbove;
  }
  if (wanted != strings.scratchBytes) {
    void* grown = strings.scratch ? HeapReAlloc(strings.heap, 0, strings.scratch, wanted)
                                  : HeapAlloc(strings.heap, 0, wanted);
    if (!grown) return need <= strings.scratchBytes ? strings.scratch : nullptr;
    strings.scratch = static_cast<wchar_t*>(grown);
    strings.scratchBytes = wanted;
  }
  return strings.scratch;
}

std::size_t TextScratchBytes() { return strings.scratchBytes; }

Text::Text(const wchar_t* units) { Assign(units, TextLength(units)); }

Text::Text(const wchar_t* units, std::int64_t count) { Assign(units, count < 0 ? 0 : count); }

Text::Text(const Text& other) : secret_(other.secret_) { Assign(other.units_, other.length_); }

Text Text::Secret(const wchar_t* units, std::int64_t count) {
  Text text;
  text.secret_ = true;
  text.Assign(units, count < 0 ? 0 : count);
  return text;
}

Text& Text::operator=(const Text& other) {
  if (this != &other) {
    Text copy(other);
    *this = static_cast<Text&&>(copy);
  }
  return *this;
}

Text::Text(Text&& other) noexcept
    : units_(other.units_), length_(other.length_), heapGeneration_(other.heapGeneration_), secret_(other.secret_) {
  other.units_ = nullptr;
  other.length_ = 0;
}

Text& Text::operator=(Text&& other) noexcept {
  if (this != &other) {
    Release();
    units_ = other.units_;
    length_ = other.length_;
    heapGeneration_ = other.heapGeneration_;
    secret_ = other.secret_;
    other.units_ = nullptr;
    other.length_ = 0;
  }
  return *this;
}

Text::~Text() { Release(); }

void Text::Assign(const wchar_t* units, std::int64_t count) {
  units_ = nullptr;
  length_ = 0;
  if (!units || count == 0) return;
  // Before StringsInit (and after StringsShutdown) texts live on the process heap.
  HANDLE heap = strings.heap ? strings.heap : GetProcessHeap();
  const std::size_t bytes = (static_cast<std::size_t>(count) + 1) * sizeof(wchar_t);
  auto* copy = static_cast<wchar_t*>(HeapAlloc(heap, 0, bytes));
  if (!copy) return;
  std::memcpy(copy, units, bytes - sizeof(wchar_t));
  copy[count] = L'\0';
  units_ = copy;
  length_ = count;
  heapGeneration_ = strings.heap ? strings.generation : 0;
}

void Text::Release() noexcept {
  // The units of a text whose heap is gone went with it.
  const bool live = units_ && (heapGeneration_ == 0 || HeapAlive(heapGeneration_));
  if (live && secret_) SecureZeroMemory(units_, static_cast<std::size_t>(length_ + 1) * sizeof(wchar_t));
  if (live && heapGeneration_ == 0) {
    HeapFree(GetProcessHeap(), 0, units_);
  } else if (live) {
    HeapFree(strings.heap, 0, units_);
  }
  units_ = nullptr;
  length_ = 0;
}

Text NumberToText(std::int64_t value) {
  wchar_t digits[64];
  int count = 0;
  // The magnitude as unsigned, so that the most negative value converts too.
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  wchar_t text[66];
  int length = 0;
  if (value < 0) text[length++] = L'-';
  while (count > 0) text[length++] = digits[--count];
  return Text(text, length);
}

std::int64_t TextLength(const wchar_t* text) {
  if (!text) return 0;
  std::int64_t length = 0;
  while (text[length]) ++length;
  return length;
}

int TextEqual(const wchar_t* a, const wchar_t* b) {
  if (!a) a = L"";
  if (!b) b = L"";
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b ? 1 : 0;
}

int FormatText(wchar_t* buffer, std::size_t capacity, const wchar_t* format, ...) {
  if (capacity == 0) return -1;
  // _vsnwprintf neither terminates a text that fills its count nor says more than -1 when the
  // text is longer, so it gets one unit less and the last one is terminated here.
  va_list values;
  va_start(values, format);
  const int count = _vsnwprintf(buffer, capacity - 1, format, values);
  va_end(values);
  buffer[capacity - 1] = 0;
  return count < 0 || static_cast<std::size_t>(count) >= capacity ? -1 : count;
}

Text TextJoin(std::initializer_list<const wchar_t*> parts) {
  std::size_t total = 0;
  for (const wchar_t* part : parts) total += static_cast<std::size_t>(TextLength(part));
  wchar_t* scratch = TextScratch(total);
  if (!scratch) return Text();
  std::size_t at = 0;
  for (const wchar_t* part : parts) {
    const auto length = static_cast<std::size_t>(TextLength(part));
    if (length) std::memcpy(scratch + at, part, length * sizeof(wchar_t));
    at += length;
  }
  scratch[at] = L'\0';
  return Text(scratch, static_cast<std::int64_t>(at));
}
