// The floor for a download under the fixed protocol: the least a WinINet client can do to fetch a
// product's files. One connection, the same form POST per file, the body read in 4,096-byte pieces
// and written straight to disk; no answer checks and no progress reporting.
#pragma once

#include <string>
#include <vector>

struct CMinimalRequest {
    std::string body;
    std::string targetPath;
};

// Bytes received over all requests, or -1 when a request could not be made.
long long MinimalDownload(const std::string& url,
                          const std::string& userAgent,
                          const std::vector<CMinimalRequest>& requests);
