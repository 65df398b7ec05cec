#include "prefs/prefs.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <string_view>

#include "prefs/prefs_encoding.h"
#include "prefs/prefs_lines.h"
#include "prefs/prefs_load.h"
#include "prefs/prefs_save.h"
#include "prefs/prefs_value.h"
#include "runtime/facility_state.h"
#include "runtime/memory.h"
#include "runtime/private_file.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 texts are wchar_t on Windows");

namespace {

// The one current settings file of the process; zero when no file is current.
struct PrefsFile {
  HANDLE handle;         // null when no file is open
  wchar_t* pendingName;  // kept only when PrefsOpen could not open the file
  bool changed;
  bool readOnly;
  PrefsContent content;
  std::uint32_t options;
};

PrefsFile* prefsFile = nullptr;

// ReadFile and WriteFile take 32-bit counts: anything below 1 GiB goes in one call.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

bool IsCurrent() { return prefsFile && (prefsFile->handle || prefsFile->pendingName); }

std::u16string_view Utf16Of(const wchar_t* text) {
  return {reinterpret_cast<const char16_t*>(text ? text : L""), static_cast<std::size_t>(TextLength(text))};
}

// A UTF-16 text converted to UTF-8: on the stack when short, else on the runtime heap.
class Utf8Of {
 public:
  explicit Utf8Of(const wchar_t* text) {
    const std::u16string_view units = Utf16Of(text);
    size_ = Utf16ToUtf8(units, nullptr);
    data_ = size_ < sizeof(small_) ? small_ : static_cast<char*>(RuntimeAlloc(size_ + 1));
    if (data_) Utf16ToUtf8(units, data_);
  }
  // Values pass through here on their way into the store, the password among them.
  ~Utf8Of() {
    if (data_ == small_) {
      SecureZeroMemory(small_, size_);
    } else {
      RuntimeFreeWiped(data_);
    }
  }
  Utf8Of(const Utf8Of&) = delete;
  Utf8Of& operator=(const Utf8Of&) = delete;

  bool ok() const { return data_ != nullptr; }
  std::string_view view() const { return {data_, size_}; }

 private:
  char small_[128];
  char* data_;
  std::size_t size_;
};

Text Utf16Text(std::string_view utf8) {
  const std::size_t units = Utf8ToUtf16(utf8, nullptr);
  wchar_t* scratch = TextScratch(units);
  if (!scratch) return Text();
  Utf8ToUtf16(utf8, reinterpret_cast<char16_t*>(scratch));
  return Text(scratch, static_cast<std::int64_t>(units));
}

HANDLE OpenShared(const wchar_t* name, DWORD access, DWORD share, DWORD disposition) {
  HANDLE handle = CreateFileW(name, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// A file the store creates is its user's alone: the application keeps credentials in it, and a
// file made without a descriptor takes the folder's inherited entries, which on a shared or
// public folder let others read it. An existing file keeps the permissions it has.
HANDLE CreateForWriting(const wchar_t* name, DWORD disposition) {
  HANDLE handle = CreatePrivateFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, disposition);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// Reads the open file into one buffer (after the three-byte mark check) and parses it.
bool LoadOpenFile(PrefsFile* file) {
  LARGE_INTEGER fileSize{};
  if (!GetFileSizeEx(file->handle, &fileSize) || fileSize.QuadPart < 0) return false;
  auto remaining = static_cast<std::uint64_t>(fileSize.QuadPart);
  bool hadMark = false;
  if (remaining >= 3) {
    char mark[3];
    DWORD got = 0;
    if (!ReadFile(file->handle, mark, 3, &got, nullptr) || got != 3) return false;
    hadMark = PrefsHasUtf8Mark(mark, 3);
    if (hadMark) {
      remaining -= 3;
    } else {
      LARGE_INTEGER start{};
      if (!SetFilePointerEx(file->handle, start, nullptr, FILE_BEGIN)) return false;
    }
  }
  if (remaining == 0) return true;
  if (remaining > static_cast<std::uint64_t>(static_cast<std::size_t>(-1))) return false;
  char* buffer = PrefsTextAlloc(static_cast<std::size_t>(remaining));
  if (!buffer) return false;
  std::size_t total = 0;
  while (total < remaining) {
    const std::size_t want = remaining - total < kMaxTransfer ? static_cast<std::size_t>(remaining - total) : kMaxTransfer;
    DWORD got = 0;
    if (!ReadFile(file->handle, buffer + total, static_cast<DWORD>(want), &got, nullptr)) {
      RuntimeFreeWiped(buffer);
      return false;
    }
    if (got == 0) break;  // the file shrank meanwhile (a third-attempt handle lets others write)
    total += got;
  }
  return PrefsTextAdopt(&file->content, buffer, total, hadMark);
}

bool WriteWhole(HANDLE handle, const char* bytes, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const std::size_t want = size - done < kMaxTransfer ? size - done : kMaxTransfer;
    DWORD wrote = 0;
    if (!WriteFile(handle, bytes + done, static_cast<DWORD>(want), &wrote, nullptr) || wrote != want) return false;
    done += wrote;
  }
  return true;
}

// The save: the whole content in one buffer of pre-computed size, written from the start of the
// file through the open handle, then the end of the file set behind it.
void Save(PrefsFile* file) {
  // A read-only file keeps its bytes: the changes stay in memory until PrefsClose drops them.
  if (!file->changed || file->readOnly) return;
  if (!file->handle) {
    if (!file->pendingName) return;
    // CREATE_NEW, not CREATE_ALWAYS: a file that exists now was never read (it could not be
    // opened), so replacing it would lose every key this save does not hold.
    file->handle = CreateForWriting(file->pendingName, CREATE_NEW);
    if (!file->handle) return;
    RuntimeFree(file->pendingName);
    file->pendingName = nullptr;
  }
  const std::size_t size = PrefsSavedSize(file->content, file->options);
  auto* buffer = static_cast<char*>(RuntimeAlloc(size));
  if (!buffer) return;
  const std::size_t filled = PrefsSaveTo(file->content, file->options, buffer);
  LARGE_INTEGER start{};
  const bool written = SetFilePointerEx(file->handle, start, nullptr, FILE_BEGIN) &&
                       WriteWhole(file->handle, buffer, filled);
  // It holds every value, the scrambled password among them.
  RuntimeFreeWiped(buffer);
  // Only a whole write is followed by SetEndOfFile: after a failed or short one the file holds
  // new bytes up to where the write stopped and old ones behind, and cutting it there would drop
  // the old ones too. The file stays changed (also when SetEndOfFile fails), so the next
  // PrefsFlush or PrefsClose writes it whole again.
  if (!written || !SetEndOfFile(file->handle)) return;
  file->changed = false;
}

void Store(const wchar_t* key, std::string_view value) {
  if (!IsCurrent()) return;
  const Utf8Of keyUtf8(key);
  if (!keyUtf8.ok()) return;
  if (PrefsStoreValue(&prefsFile->content, keyUtf8.view(), value)) prefsFile->changed = true;
}

const PrefsLine* Find(const wchar_t* key) {
  if (!IsCurrent()) return nullptr;
  const Utf8Of keyUtf8(key);
  if (!keyUtf8.ok()) return nullptr;
  return PrefsFindKey(prefsFile->content, keyUtf8.view());
}

}  // namespace

void PrefsInit() {
  if (prefsFile) return;
  prefsFile = static_cast<PrefsFile*>(
      FacilityStateCreate(sizeof(PrefsFile), [](void* record) { new (record) PrefsFile{}; }));
}

void PrefsEnd() {
  if (!prefsFile) return;
  PrefsClose();
  FacilityStateFree(prefsFile);
  prefsFile = nullptr;
}

int PrefsOpen(const wchar_t* name, std::uint32_t options) {
  if (!prefsFile) return 0;
  PrefsClose();
  if (!name) name = L"";
  prefsFile->options = options;
  prefsFile->handle = OpenShared(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
  if (!prefsFile->handle) {
    prefsFile->readOnly = true;
    prefsFile->handle = OpenShared(name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (!prefsFile->handle) prefsFile->handle = OpenShared(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
  }
  if (!prefsFile->handle) {
    const DWORD openError = GetLastError();
    prefsFile->readOnly = false;
    const std::size_t bytes = (static_cast<std::size_t>(TextLength(name)) + 1) * sizeof(wchar_t);
    prefsFile->pendingName = static_cast<wchar_t*>(RuntimeAlloc(bytes));
    if (prefsFile->pendingName) std::memcpy(prefsFile->pendingName, name, bytes);
    SetLastError(openError);
    return 0;
  }
  // A file that exists but could not be loaded is never rewritten: a save would replace it with
  // only the keys written since.
  if (!LoadOpenFile(prefsFile)) {
    PrefsContentRelease(&prefsFile->content);
    prefsFile->readOnly = true;
  }
  return 1;
}

int PrefsCreate(const wchar_t* name, std::uint32_t options) {
  if (!prefsFile) return 0;
  PrefsClose();
  prefsFile->handle = CreateForWriting(name ? name : L"", CREATE_ALWAYS);
  if (!prefsFile->handle) return 0;
  prefsFile->changed = true;
  prefsFile->options = options;
  return 1;
}

Text PrefsReadString(const wchar_t* key, const wchar_t* defaultText) {
  const PrefsLine* line = Find(key);
  if (!line) return Text(defaultText);
  return Utf16Text(PrefsSkipBlanks({line->text, line->textLength}));
}

std::int64_t PrefsReadInteger(const wchar_t* key, std::int64_t defaultValue) {
  const PrefsLine* line = Find(key);
  if (!line) return defaultValue;
  return PrefsParseInteger({line->text, line->textLength});
}

void PrefsWriteString(const wchar_t* key, const wchar_t* value) {
  if (!IsCurrent()) return;
  const Utf8Of valueUtf8(value);
  if (valueUtf8.ok()) Store(key, valueUtf8.view());
}

void PrefsWriteInteger(const wchar_t* key, std::int64_t value) {
  char digits[20];
  Store(key, {digits, PrefsFormatInteger(value, digits)});
}

void PrefsFlush() {
  if (prefsFile) Save(prefsFile);
}

void PrefsClose() {
  if (!prefsFile) return;
  Save(prefsFile);
  if (prefsFile->handle) CloseHandle(prefsFile->handle);
  RuntimeFree(prefsFile->pendingName);
  PrefsContentRelease(&prefsFile->content);
  *prefsFile = PrefsFile{};
}
