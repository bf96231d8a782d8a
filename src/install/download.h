// Fetching the ticked sibling products from the maker's download server: one form POST per file,
// one connection per pass, the answers streamed to disk through one buffer.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/config.h"
#include "install/appmgr.h"
#include "install/handles.h"

constexpr DWORD kDownloadBufferSize = 4096;
// The value of the form field e for each file, in the order of kSetupFileExtensions.
extern const char* const kDownloadFileCodes[kSetupFileCount];

// "Quorvex " + the main product's name + " Setup".
std::string DownloadUserAgent(const CSetupConfig& config);
// The five form fields in their fixed order, each value raw: the server expects no encoding.
std::string BuildRequestBody(const CSetupConfig& config, int row, const char* fileCode);
// Status 200, a Content-Length that is not 0 and exactly "application/octet-stream".
bool IsAnswerAccepted(DWORD status, DWORD contentLength, std::string_view contentType);
// The current bar for a body in progress: 64-bit arithmetic, so that large files do not wrap, and
// never above 100, whatever the server announced.
int DownloadPercent(ULONGLONG received, DWORD contentLength);
// A body that ended before the announced length is a broken transfer, not a file.
bool IsBodyComplete(ULONGLONG received, DWORD contentLength);
// How much of a chunk belongs to the file: nothing beyond the announced length, which would only
// append whatever else the server sent to the file.
DWORD BytesToKeep(ULONGLONG received, DWORD read, DWORD contentLength);
// Errors of a request that show the server could not be reached at all.
bool IsNoConnectionError(DWORD error);

// Opens the HTTP client with the system's proxy settings; the handle stays empty on failure.
bool OpenInternet(CInternetHandle& internet, const CSetupConfig& config);
// One pass over the selected rows. False only when the server could not be reached before any
// product's flags were touched; every product's outcome is in its row.
bool DownloadProducts(HINTERNET internet, HWND page, CSetupConfig& config);
