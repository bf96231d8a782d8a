#include "install/download.h"

#include <commctrl.h>
#include <wininet.h>

#include "res/resource.h"

const char* const kDownloadFileCodes[kSetupFileCount] = {"c", "i", "d", "ic"};

namespace {

const char kFormHeader[] = "Content-type: application/x-www-form-urlencoded";
constexpr DWORD kFormHeaderLength = sizeof(kFormHeader) - 1;
static_assert(kFormHeaderLength == 47, "the header goes out without a line end of its own");
const char kOctetStream[] = "application/octet-stream";
const char kProtocolVersion[] = "2.3";

// The state of one pass: its connection, the page it reports to and the one buffer that serves
// for the Content-Type answer and for every chunk of every body.
class CDownloadPass {
  public:
    CDownloadPass(HINTERNET connection, const std::string& path, HWND page, CSetupConfig& config)
        : connection_(connection), path_(path), page_(page), config_(config) {}

    bool Run();

  private:
    void DownloadProduct(int row);
    // 0 when the file came through, otherwise the failure reason.
    UINT FetchFile(int row, int file);
    UINT StreamBody(HINTERNET request, HANDLE target, DWORD contentLength);
    void SetCurrent(int percent);
    void StepOverall() { SendDlgItemMessageA(page_, IDC_OVERALL_PROGRESS, PBM_STEPIT, 0, 0); }

    HINTERNET connection_;
    const std::string path_;
    HWND page_;
    CSetupConfig& config_;
    // The HTTP client connects only when the first request goes out, so that request is where a
    // server out of reach shows itself.
    bool reachedServer_ = false;
    bool noConnection_ = false;
    // What the current bar shows, so that a chunk that does not move it sends nothing.
    int shownPercent_ = -1;
    char buffer_[kDownloadBufferSize];
};

// A large body moves the bar one percent per hundreds of chunks; a message for each chunk would be
// a synchronous round trip to the page's thread for nothing, and those cost the transfer three
// quarters of its speed under Wine.
void CDownloadPass::SetCurrent(int percent) {
    if (percent == shownPercent_)
        return;
    SendDlgItemMessageA(page_, IDC_CURRENT_PROGRESS, PBM_SETPOS, percent, 0);
    shownPercent_ = percent;
}

bool CDownloadPass::Run() {
    for (int position = 0; position < kProductCount; ++position) {
        const int row = kProductOrder[position];
        CProductInfo& product = config_.products[row];
        if (!product.selected)
            continue;
        if (product.filesReady) {
            StepOverall();
            continue;
        }
        DownloadProduct(row);
        if (noConnection_)
            return false;
    }
    return true;
}

void CDownloadPass::DownloadProduct(int row) {
    CProductInfo& product = config_.products[row];
    const std::string label = "Downloading Quorvex " + product.name;
    SetDlgItemTextA(page_, IDC_CURRENT_LABEL, label.c_str());

    const std::string folder = ProductFolderPath(config_, row);
    if (!CreateProductFolder(folder)) {
        product.failureId = IDS_FOLDER_FAILED;
        return;
    }

    UINT failure = 0;
    for (int file = 0; file < kSetupFileCount && failure == 0; ++file) {
        failure = FetchFile(row, file);
        if (noConnection_)
            return;
    }
    if (failure != 0)
        product.failureId = failure;
    product.filesReady = failure == 0;
    product.installed = failure == 0;
    StepOverall();
}

UINT CDownloadPass::FetchFile(int row, int file) {
    SetCurrent(0);
    const char* acceptTypes[] = {"*/*", nullptr};
    const CInternetHandle request(
        HttpOpenRequestA(connection_, "POST", path_.c_str(), nullptr, nullptr, acceptTypes, 0, 0));
    if (!request.IsValid())
        return IDS_DOWNLOAD_FAILED;

    std::string body = BuildRequestBody(config_, row, kDownloadFileCodes[file]);
    if (!HttpSendRequestA(request.Get(), kFormHeader, kFormHeaderLength, &body[0], static_cast<DWORD>(body.size()))) {
        noConnection_ = !reachedServer_ && IsNoConnectionError(GetLastError());
        return IDS_DOWNLOAD_FAILED;
    }
    reachedServer_ = true;

    // A header that is missing leaves its value at 0.
    DWORD contentLength = 0;
    DWORD size = sizeof(contentLength);
    HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &contentLength, &size, nullptr);
    DWORD status = 0;
    size = sizeof(status);
    HttpQueryInfoA(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
    DWORD typeLength = sizeof(buffer_);
    if (!HttpQueryInfoA(request.Get(), HTTP_QUERY_CONTENT_TYPE, buffer_, &typeLength, nullptr))
        typeLength = 0;
    if (!IsAnswerAccepted(status, contentLength, std::string_view(buffer_, typeLength)))
        return IDS_DOWNLOAD_FAILED;

    const std::string path = ProductFilePath(config_, row, kSetupFileExtensions[file]);
    const CFileHandle target(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.IsValid())
        return IDS_COPY_FAILED;
    const UINT failure = StreamBody(request.Get(), target.Get(), contentLength);
    SetCurrent(100);
    return failure;
}

UINT CDownloadPass::StreamBody(HINTERNET request, HANDLE target, DWORD contentLength) {
    ULONGLONG received = 0;
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request, buffer_, sizeof(buffer_), &read))
            return IDS_DOWNLOAD_FAILED;
        const DWORD keep = BytesToKeep(received, read, contentLength);
        if (keep == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(target, buffer_, keep, &written, nullptr) || written != keep)
            return IDS_COPY_FAILED;
        received += keep;
        SetCurrent(DownloadPercent(received, contentLength));
    }
    return IsBodyComplete(received, contentLength) ? 0 : IDS_DOWNLOAD_FAILED;
}

}  // namespace

std::string DownloadUserAgent(const CSetupConfig& config) {
    return "Quorvex " + config.products[0].name + " Setup";
}

std::string BuildRequestBody(const CSetupConfig& config, int row, const char* fileCode) {
    return "p=" + config.products[0].name + "&d=" + config.products[row].name + "&s=" + config.DistributorCode() +
           "&v=" + kProtocolVersion + "&e=" + fileCode;
}

bool IsAnswerAccepted(DWORD status, DWORD contentLength, std::string_view contentType) {
    return status == HTTP_STATUS_OK && contentLength != 0 && contentType == kOctetStream;
}

int DownloadPercent(ULONGLONG received, DWORD contentLength) {
    if (contentLength == 0 || received >= contentLength)
        return 100;
    return static_cast<int>(received * 100 / contentLength);
}

bool IsBodyComplete(ULONGLONG received, DWORD contentLength) {
    return received >= contentLength;
}

DWORD BytesToKeep(ULONGLONG received, DWORD read, DWORD contentLength) {
    if (received >= contentLength)
        return 0;
    const ULONGLONG left = contentLength - received;
    return read < left ? read : static_cast<DWORD>(left);
}

bool IsNoConnectionError(DWORD error) {
    return error == ERROR_INTERNET_CANNOT_CONNECT || error == ERROR_INTERNET_NAME_NOT_RESOLVED;
}

bool OpenInternet(CInternetHandle& internet, const CSetupConfig& config) {
    if (InternetAttemptConnect(0) != ERROR_SUCCESS)
        return false;
    internet.Reset(InternetOpenA(DownloadUserAgent(config).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    return internet.IsValid();
}

bool DownloadProducts(HINTERNET internet, HWND page, CSetupConfig& config) {
    // With no buffers given, the parts point into the address itself.
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    if (!InternetCrackUrlA(config.downloadUrl.c_str(), 0, 0, &parts))
        return false;
    const std::string host(parts.lpszHostName, parts.dwHostNameLength);
    // Everything after host and port is the object of every request.
    const std::string path(parts.lpszUrlPath);

    const CInternetHandle connection(
        InternetConnectA(internet, host.c_str(), parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.IsValid())
        return false;
    CDownloadPass pass(connection.Get(), path, page, config);
    return pass.Run();
}
