#pragma once
// Move-only owners of Win32 resources: registry keys, kernel handles, CryptoAPI contexts
// and hashes, COM interface pointers, shell item lists and the COM initialisation of a
// thread. Each owner releases its resource exactly once; copying is deleted, so no
// resource can be released twice.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <objbase.h>
#include <wincrypt.h>
#include <shlobj.h>

#include <utility>

namespace kavrix {

// Owns a value of type T; Traits says which value means "none" and how to release one.
template <typename T, typename Traits>
class UniqueResource {
 public:
  UniqueResource() noexcept = default;
  explicit UniqueResource(T value) noexcept : value_(value) {}
  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { Reset(); }

  T Get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Traits::IsValid(value_); }

  // For an API's out-parameter: releases what is held and returns the slot to fill.
  T* Put() noexcept {
    Reset();
    return &value_;
  }

  // Gives up ownership without releasing.
  T Release() noexcept { return std::exchange(value_, Traits::None()); }

  void Reset(T value = Traits::None()) noexcept {
    const T old = std::exchange(value_, value);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

 private:
  T value_ = Traits::None();
};

struct RegKeyTraits {
  static HKEY None() noexcept { return nullptr; }
  static bool IsValid(HKEY key) noexcept { return key != nullptr; }
  static void Close(HKEY key) noexcept { ::RegCloseKey(key); }
};

// Kernel objects: CreateFile reports failure as INVALID_HANDLE_VALUE, most other calls as
// null, so both mean "none". The pseudo handle of the current process has the value of
// INVALID_HANDLE_VALUE and is never owned.
struct KernelHandleTraits {
  static HANDLE None() noexcept { return nullptr; }
  static bool IsValid(HANDLE handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) noexcept { ::CloseHandle(handle); }
};

// Item lists handed out by the shell belong to the caller and go back to the shell's
// (COM task) allocator.
struct ItemIdListTraits {
  static LPITEMIDLIST None() noexcept { return nullptr; }
  static bool IsValid(LPITEMIDLIST list) noexcept { return list != nullptr; }
  static void Close(LPITEMIDLIST list) noexcept { ::CoTaskMemFree(list); }
};

// A cryptographic provider's context, and a hash object made from one.
struct CryptProviderTraits {
  static HCRYPTPROV None() noexcept { return 0; }
  static bool IsValid(HCRYPTPROV provider) noexcept { return provider != 0; }
  static void Close(HCRYPTPROV provider) noexcept { ::CryptReleaseContext(provider, 0); }
};
struct CryptHashTraits {
  static HCRYPTHASH None() noexcept { return 0; }
  static bool IsValid(HCRYPTHASH hash) noexcept { return hash != 0; }
  static void Close(HCRYPTHASH hash) noexcept { ::CryptDestroyHash(hash); }
};

using UniqueRegKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueHandle = UniqueResource<HANDLE, KernelHandleTraits>;
using UniqueItemIdList = UniqueResource<LPITEMIDLIST, ItemIdListTraits>;
using UniqueCryptProvider = UniqueResource<HCRYPTPROV, CryptProviderTraits>;
using UniqueCryptHash = UniqueResource<HCRYPTHASH, CryptHashTraits>;

// One reference to a COM interface.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* Get() const noexcept { return pointer_; }
  T* operator->() const noexcept { return pointer_; }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

  // For CoCreateInstance and QueryInterface, whose out-parameter is untyped.
  void** PutVoid() noexcept {
    Reset();
    return reinterpret_cast<void**>(&pointer_);
  }

  void Reset(T* pointer = nullptr) noexcept {
    T* old = std::exchange(pointer_, pointer);
    if (old) old->Release();
  }

 private:
  T* pointer_ = nullptr;
};

// COM on the calling thread, in a single-threaded apartment, for the owner's lifetime.
// Only a successful initialisation (S_OK or S_FALSE) is balanced by CoUninitialize; a
// thread already in another apartment (RPC_E_CHANGED_MODE) is left as it was.
class ComInitialization {
 public:
  ComInitialization() noexcept : result_(::CoInitialize(nullptr)) {}
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
  ~ComInitialization() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }

  HRESULT Result() const noexcept { return result_; }

 private:
  HRESULT result_;
};

}  // namespace kavrix
