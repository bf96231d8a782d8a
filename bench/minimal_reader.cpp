#include "bench/minimal_reader.h"

#include <windows.h>
#include <wininet.h>

#include "install/handles.h"

namespace {

const char kFormHeader[] = "Content-type: application/x-www-form-urlencoded";
const DWORD kReadSize = 4096;

long long FetchOne(HINTERNET connection, const char* path, const CMinimalRequest& request, char* buffer) {
    const char* acceptTypes[] = {"*/*", nullptr};
    const CInternetHandle handle(HttpOpenRequestA(connection, "POST", path, nullptr, nullptr, acceptTypes, 0, 0));
    std::string body = request.body;
    if (!handle.IsValid() || !HttpSendRequestA(handle.Get(), kFormHeader, sizeof(kFormHeader) - 1, &body[0],
                                               static_cast<DWORD>(body.size())))
        return -1;
    const CFileHandle target(CreateFileA(request.targetPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.IsValid())
        return -1;
    long long total = 0;
    DWORD read = 0;
    while (InternetReadFile(handle.Get(), buffer, kReadSize, &read) && read > 0) {
        DWORD written = 0;
        if (!WriteFile(target.Get(), buffer, read, &written, nullptr) || written != read)
            return -1;
        total += read;
    }
    return total;
}

}  // namespace

long long MinimalDownload(const std::string& url,
                          const std::string& userAgent,
                          const std::vector<CMinimalRequest>& requests) {
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts))
        return -1;
    const std::string host(parts.lpszHostName, parts.dwHostNameLength);

    const CInternetHandle internet(InternetOpenA(userAgent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet.IsValid())
        return -1;
    const CInternetHandle connection(
        InternetConnectA(internet.Get(), host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.IsValid())
        return -1;
    char buffer[kReadSize];
    long long total = 0;
    for (const CMinimalRequest& request : requests) {
        const long long received = FetchOne(connection.Get(), parts.lpszUrlPath, request, buffer);
        if (received < 0)
            return -1;
        total += received;
    }
    return total;
}
