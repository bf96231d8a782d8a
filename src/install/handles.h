// Handles that close themselves, so that every return path releases what it opened.
#pragma once

#include <windows.h>
#include <wininet.h>

template <typename Traits>
class CScopedHandle {
  public:
    using Handle = typename Traits::Handle;

    CScopedHandle() = default;
    explicit CScopedHandle(Handle handle) : handle_(handle) {}
    ~CScopedHandle() { Reset(); }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    Handle Get() const { return handle_; }
    bool IsValid() const { return handle_ != Traits::Invalid(); }
    void Reset(Handle handle = Traits::Invalid()) {
        if (IsValid())
            Traits::Close(handle_);
        handle_ = handle;
    }

  private:
    Handle handle_ = Traits::Invalid();
};

struct CFileTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};

struct CKernelTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};

struct CInternetTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { InternetCloseHandle(handle); }
};

struct CKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { RegCloseKey(handle); }
};

using CFileHandle = CScopedHandle<CFileTraits>;
using CKernelHandle = CScopedHandle<CKernelTraits>;
using CInternetHandle = CScopedHandle<CInternetTraits>;
using CKeyHandle = CScopedHandle<CKeyTraits>;
