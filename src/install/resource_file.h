// Embedded files written out byte for byte, straight from the locked resource in one call.
#pragma once

#include <windows.h>

class CResourceBytes {
  public:
    // Looks the resource up in the executable itself; names match without regard to case.
    CResourceBytes(const char* name, const char* type);
    bool Found() const { return data_ != nullptr; }
    const void* Data() const { return data_; }
    DWORD Size() const { return size_; }

  private:
    const void* data_ = nullptr;
    DWORD size_ = 0;
};

enum WriteResult {
    kWriteOk,
    kWriteOpenFailed,
    kWriteFailed,
};

// Creates or truncates the file and writes all bytes with one WriteFile. A failed write leaves
// the file as far as it got: nothing is deleted.
WriteResult WriteResourceToFile(const CResourceBytes& resource, const char* path);
