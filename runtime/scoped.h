// Holders for what a procedure owns locally, released when the holder goes out of scope: a
// kernel handle, a runtime-heap block, a held critical section, a window's device context and a
// loaded library. They cannot be copied; one that hands its object on says so with Release.
#pragma once

#include <windows.h>

#include "runtime/memory.h"

// A kernel handle, closed with CloseHandle; null holds none.
class ScopedHandle {
 public:
  ScopedHandle() = default;
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() { Close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;

  HANDLE get() const { return handle_; }
  // Where an API that creates a handle stores it; the holder must hold none.
  HANDLE* out() { return &handle_; }
  void Reset(HANDLE handle) {
    Close();
    handle_ = handle;
  }
  HANDLE Release() {
    HANDLE handle = handle_;
    handle_ = nullptr;
    return handle;
  }
  void Close() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A runtime-heap block (RuntimeAlloc), freed with RuntimeFree; null when the allocation failed.
template <typename T>
class ScopedMem {
 public:
  explicit ScopedMem(T* block) : block_(block) {}
  ~ScopedMem() { RuntimeFree(block_); }
  ScopedMem(const ScopedMem&) = delete;
  ScopedMem& operator=(const ScopedMem&) = delete;

  T* get() const { return block_; }

 private:
  T* block_;
};

// A critical section entered for the holder's scope.
class ScopedCritSec {
 public:
  explicit ScopedCritSec(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
  ~ScopedCritSec() { LeaveCriticalSection(lock_); }
  ScopedCritSec(const ScopedCritSec&) = delete;
  ScopedCritSec& operator=(const ScopedCritSec&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};

// GetDC(window), given back with ReleaseDC; get() is null when GetDC failed.
class ScopedGetDC {
 public:
  explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~ScopedGetDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  ScopedGetDC(const ScopedGetDC&) = delete;
  ScopedGetDC& operator=(const ScopedGetDC&) = delete;

  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A loaded library, freed with FreeLibrary; get() is null when the load failed.
class ScopedLibrary {
 public:
  explicit ScopedLibrary(HMODULE module) : module_(module) {}
  ~ScopedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  ScopedLibrary(const ScopedLibrary&) = delete;
  ScopedLibrary& operator=(const ScopedLibrary&) = delete;

  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};
