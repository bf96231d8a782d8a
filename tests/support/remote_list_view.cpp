#include "support/remote_list_view.h"

#include <gtest/gtest.h>

#include "support/wizard_session.h"

namespace driver {

namespace {

constexpr size_t kBufferSize = 4096;
constexpr size_t kTextOffset = 1024;
constexpr int kTextCapacity = 1024;

LPARAM AsPoint(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

}  // namespace

CRemoteListView::CRemoteListView(HWND list) : list_(list) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_ != nullptr)
        remote_ = static_cast<char*>(
            VirtualAllocEx(process_, nullptr, kBufferSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote_ == nullptr)
        ADD_FAILURE() << "no buffer in the list's process";
}

CRemoteListView::~CRemoteListView() {
    if (remote_ != nullptr)
        VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    if (process_ != nullptr)
        CloseHandle(process_);
}

bool CRemoteListView::Exchange(UINT message, WPARAM wParam, void* local, size_t size) const {
    if (remote_ == nullptr || !WriteProcessMemory(process_, remote_, local, size, nullptr))
        return false;
    SendMessageA(list_, message, wParam, reinterpret_cast<LPARAM>(remote_));
    return ReadProcessMemory(process_, remote_, local, size, nullptr) != FALSE;
}

int CRemoteListView::Count() const {
    return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string CRemoteListView::Text(int item) const {
    LVITEMA request = {};
    request.iItem = item;
    request.pszText = remote_ + kTextOffset;
    request.cchTextMax = kTextCapacity;
    char text[kTextCapacity] = {};
    if (!Exchange(LVM_GETITEMTEXTA, item, &request, sizeof(request)) ||
        !ReadProcessMemory(process_, remote_ + kTextOffset, text, sizeof(text) - 1, nullptr))
        return "<unreadable>";
    return text;
}

int CRemoteListView::StateImage(int item) const {
    return static_cast<int>(SendMessageA(list_, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK) >> 12);
}

bool CRemoteListView::IsSelected(int item) const {
    return SendMessageA(list_, LVM_GETITEMSTATE, item, LVIS_SELECTED) != 0;
}

RECT CRemoteListView::ItemRect(int item, int portion) const {
    RECT rect = {portion, 0, 0, 0};
    if (!Exchange(LVM_GETITEMRECT, item, &rect, sizeof(rect)))
        return {};
    return rect;
}

LVHITTESTINFO CRemoteListView::HitTest(POINT point) const {
    LVHITTESTINFO hit = {};
    hit.pt = point;
    hit.iItem = -1;
    Exchange(LVM_HITTEST, 0, &hit, sizeof(hit));
    return hit;
}

RECT CRemoteListView::PartRect(int item, UINT flag) const {
    const RECT bounds = ItemRect(item, LVIR_BOUNDS);
    const LONG y = (bounds.top + bounds.bottom) / 2;
    RECT part = {};
    for (LONG x = bounds.left; x < bounds.right; ++x) {
        const LVHITTESTINFO hit = HitTest({x, y});
        const bool on = hit.iItem == item && (hit.flags & flag);
        if (on && part.right == 0)
            part = {x, bounds.top, x + 1, bounds.bottom};
        else if (on)
            part.right = x + 1;
        else if (part.right != 0)
            break;
    }
    return part;
}

POINT CRemoteListView::PointOn(int item, UINT flag) const {
    const RECT part = PartRect(item, flag);
    if (part.right == 0)
        return {-1, -1};
    return {(part.left + part.right - 1) / 2, (part.top + part.bottom) / 2};
}

void CRemoteListView::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    PostMessageA(list_, message, wParam, lParam);
}

void CRemoteListView::Settle() const {
    // The hover time is a value the list only keeps: posted after the input, it comes back from the
    // list once the input before it has been handled.
    const DWORD marker = ++marker_;
    Post(LVM_SETHOVERTIME, 0, marker);
    EXPECT_TRUE(WaitUntil([&] { return static_cast<DWORD>(SendMessageA(list_, LVM_GETHOVERTIME, 0, 0)) == marker; }))
        << "the list did not handle the input";
}

void CRemoteListView::LeftClick(POINT point, WPARAM keys) const {
    Post(WM_LBUTTONDOWN, MK_LBUTTON | keys, AsPoint(point));
    Post(WM_LBUTTONUP, keys, AsPoint(point));
    Settle();
}

void CRemoteListView::RightClick(POINT point) const {
    Post(WM_RBUTTONDOWN, MK_RBUTTON, AsPoint(point));
    Post(WM_RBUTTONUP, 0, AsPoint(point));
    Settle();
}

void CRemoteListView::DoubleClick(POINT point) const {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, AsPoint(point));
    Post(WM_LBUTTONUP, 0, AsPoint(point));
    Post(WM_LBUTTONDBLCLK, MK_LBUTTON, AsPoint(point));
    Post(WM_LBUTTONUP, 0, AsPoint(point));
    Settle();
}

void CRemoteListView::PressKey(UINT virtualKey) const {
    const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    Post(WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
    Post(WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000);
    Settle();
}

}  // namespace driver
