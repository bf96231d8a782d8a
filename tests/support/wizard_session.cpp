#include "support/wizard_session.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "res/resource.h"

namespace driver {

namespace {

constexpr DWORD kStartMilliseconds = 20000;

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

CSessionPlaces PlacesFor(const std::string& exeName) {
    CSessionPlaces places;
    places.exeName = exeName;
    return places;
}

// Makes each folder of a relative path below the base; returns the deepest.
std::string MakeFolders(const std::string& base, const std::string& relative) {
    std::string folder = base;
    size_t start = 0;
    while (start < relative.size()) {
        size_t end = relative.find('\\', start);
        if (end == std::string::npos)
            end = relative.size();
        folder = JoinPath(folder, relative.substr(start, end - start));
        CreateDirectoryA(folder.c_str(), nullptr);
        start = end + 1;
    }
    return folder;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start >= milliseconds)
            return condition();
        Sleep(20);
    }
    return true;
}

RECT RectInClient(HWND window, HWND reference) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

CWizardSession::CWizardSession(const std::string& exeName) : CWizardSession(PlacesFor(exeName)) {}

CWizardSession::CWizardSession(const CSessionPlaces& places) : folder_("wizard") {
    const std::string setupFolder = MakeFolders(folder_.Path(), places.setupFolder);
    managerFolder_ = MakeFolders(folder_.Path(), places.managerFolder);
    setupPath_ = JoinPath(setupFolder, places.exeName);
    const std::string appMgr = JoinPath(managerFolder_, "CEAppMgr.exe");
    if (!CopyFileA(Env("ORVELLA_SETUP_EXE").c_str(), setupPath_.c_str(), FALSE) ||
        !CopyFileA(Env("ORVELLA_STANDIN").c_str(), appMgr.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the setup or the stand-in manager into " << folder_.Path();
        return;
    }
    std::string value = places.appPathsValue.empty() ? appMgr : places.appPathsValue;
    if (places.appPathsInScratch)
        value = JoinPath(folder_.Path(), value);
    if (places.appPathsUnterminated)
        appPaths_.SetRaw(value.data(), static_cast<DWORD>(value.size()), places.appPathsType);
    else
        appPaths_.Set(value, places.appPathsType);
    if (!setup_.Start(setupPath_, places.arguments)) {
        ADD_FAILURE() << "cannot start " << setupPath_;
        return;
    }
    sheet_ = WaitForWizard(setup_.Id(), kStartMilliseconds);
    if (sheet_ == nullptr)
        ADD_FAILURE() << "no wizard from " << places.exeName;
}

CWizardSession::~CWizardSession() {
    if (sheet_ != nullptr && IsWindow(sheet_))
        Cancel();
}

HWND CWizardSession::Page() const {
    return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool CWizardSession::Press(int button) {
    HWND before = Page();
    PostMessageA(sheet_, PSM_PRESSBUTTON, button, 0);
    return WaitUntil([&] { return Page() != before && IsWindowVisible(Page()); });
}

bool CWizardSession::Next() {
    return Press(PSBTN_NEXT);
}

bool CWizardSession::Back() {
    return Press(PSBTN_BACK);
}

bool CWizardSession::WaitForButtons(bool back, bool next) {
    return WaitUntil([&] {
        return (IsWindowEnabled(SheetItem(kBackButton)) != FALSE) == back &&
               (IsWindowEnabled(SheetItem(kNextButton)) != FALSE) == next;
    });
}

bool CWizardSession::WaitForTitle() {
    return WaitUntil([&] {
        HWND page = Page();
        const RECT title = RectInClient(GetDlgItem(page, 1004), page);
        const CClientCapture screen(page);
        for (int y = title.top; y < title.bottom; ++y) {
            for (int x = title.left; x < title.right; ++x) {
                if (screen.Pixel(x, y) == RGB(0, 0, 0))
                    return true;
            }
        }
        return false;
    });
}

bool CWizardSession::Cancel() {
    PostMessageA(sheet_, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    return setup_.WaitForExit(kStartMilliseconds) == 0;
}

bool CWizardSession::GoToOptions() {
    if (!Next())
        return false;
    ClickButton(Item(IDC_ACCEPT));
    return WaitForButtons(true, true) && Next() && Item(IDC_PRODUCT_LIST) != nullptr;
}

CTemplateUnits::CTemplateUnits(int templateId) {
    module_ = LoadLibraryExA(Env("ORVELLA_SETUP_EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module_ != nullptr)
        dialog_ = CreateDialogParamA(module_, MAKEINTRESOURCEA(templateId), nullptr, QuietDialogProc, 0);
    if (dialog_ == nullptr)
        ADD_FAILURE() << "cannot create template " << templateId << " from the setup";
}

CTemplateUnits::~CTemplateUnits() {
    if (dialog_ != nullptr)
        DestroyWindow(dialog_);
    if (module_ != nullptr)
        FreeLibrary(module_);
}

RECT CTemplateUnits::ToPixels(int x, int y, int width, int height) const {
    // The dialog manager converts the place and the size each on its own, as this does.
    RECT place = {x, y, 0, 0};
    MapDialogRect(dialog_, &place);
    RECT size = {0, 0, width, height};
    MapDialogRect(dialog_, &size);
    return {place.left, place.top, place.left + size.right, place.top + size.bottom};
}

CClientCapture::CClientCapture(HWND window) {
    GetClientRect(window, &area_);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    pixels_.resize(static_cast<size_t>(area_.right) * area_.bottom);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = area_.right;
    info.bmiHeader.biHeight = -area_.bottom;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, area_.right, area_.bottom, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* source = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < pixels_.size(); ++i) {
        const DWORD bgr = source[i];
        pixels_[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

COLORREF CClientCapture::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= area_.right || y >= area_.bottom)
        return CLR_INVALID;
    return pixels_[static_cast<size_t>(y) * area_.right + x];
}

}  // namespace driver
