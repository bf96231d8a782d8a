#include "bench/progress_host.h"

#include <commctrl.h>

#include "app/setup.h"
#include "bench/measure.h"
#include "install/handles.h"
#include "res/resource.h"

namespace {

struct CJob {
    const std::function<bool()>* work;
    double ms;
};

DWORD WINAPI RunJob(LPVOID parameter) {
    auto* job = static_cast<CJob*>(parameter);
    const double start = NowMs();
    const bool ok = (*job->work)();
    job->ms = ok ? NowMs() - start : -1;
    return 0;
}

INT_PTR CALLBACK HostPageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void DispatchPending() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

CProgressHost::CProgressHost() {
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&classes);
    page_ = CreateDialogParamA(g_appInstance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr, HostPageProc, 0);
    if (page_ != nullptr) {
        SendDlgItemMessageA(page_, IDC_OVERALL_PROGRESS, PBM_SETSTEP, 1, 0);
        ShowWindow(page_, SW_SHOWNOACTIVATE);
        DispatchPending();
    }
}

CProgressHost::~CProgressHost() {
    if (page_ != nullptr)
        DestroyWindow(page_);
}

double CProgressHost::TimeJob(const std::function<bool()>& work) {
    CJob job = {&work, -1};
    const CKernelHandle thread(CreateThread(nullptr, 0, RunJob, &job, 0, nullptr));
    if (!thread.IsValid())
        return -1;
    const HANDLE handle = thread.Get();
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        DispatchPending();
    // What the job sent last is on screen before the next run starts.
    DispatchPending();
    return job.ms;
}
