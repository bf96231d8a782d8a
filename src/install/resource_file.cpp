#include "install/resource_file.h"

#include "install/handles.h"

CResourceBytes::CResourceBytes(const char* name, const char* type) {
    HRSRC info = FindResourceA(nullptr, name, type);
    if (info == nullptr)
        return;
    HGLOBAL loaded = LoadResource(nullptr, info);
    if (loaded == nullptr)
        return;
    size_ = SizeofResource(nullptr, info);
    data_ = LockResource(loaded);
}

WriteResult WriteResourceToFile(const CResourceBytes& resource, const char* path) {
    CFileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid())
        return kWriteOpenFailed;
    DWORD written = 0;
    if (!WriteFile(file.Get(), resource.Data(), resource.Size(), &written, nullptr) || written != resource.Size())
        return kWriteFailed;
    return kWriteOk;
}
