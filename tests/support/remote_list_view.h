// A list view of the setup's process, driven from a test: the list-view calls that pass a pointer
// go through a buffer in the setup's own memory, and mouse and key input is posted to the list.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace driver {

class CRemoteListView {
  public:
    explicit CRemoteListView(HWND list);
    ~CRemoteListView();
    CRemoteListView(const CRemoteListView&) = delete;
    CRemoteListView& operator=(const CRemoteListView&) = delete;

    HWND Window() const { return list_; }
    int Count() const;
    std::string Text(int item) const;
    // The state image index, bits 12 to 15 of the item state.
    int StateImage(int item) const;
    bool IsSelected(int item) const;
    RECT ItemRect(int item, int portion) const;
    LVHITTESTINFO HitTest(POINT point) const;
    // The stretch of the item's middle row whose hit test includes the flag (LVHT_ONITEMSTATEICON,
    // LVHT_ONITEMLABEL), as high as the item; empty when no point of the item has it.
    RECT PartRect(int item, UINT flag) const;
    // The middle of the stretch of the item's middle row whose hit test includes the flag
    // (LVHT_ONITEMSTATEICON, LVHT_ONITEMLABEL); {-1, -1} when no point of the item has it.
    POINT PointOn(int item, UINT flag) const;

    // Input as the user gives it, posted in order; each returns after the list has handled it.
    // keys: MK_CONTROL or MK_SHIFT held during the click.
    void LeftClick(POINT point, WPARAM keys = 0) const;
    void RightClick(POINT point) const;
    // What a double click sends: a click, then the double click and its button release.
    void DoubleClick(POINT point) const;
    void PressKey(UINT virtualKey) const;

  private:
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Waits until everything posted so far has been handled by the list's thread.
    void Settle() const;
    bool Exchange(UINT message, WPARAM wParam, void* local, size_t size) const;

    HWND list_;
    HANDLE process_ = nullptr;
    char* remote_ = nullptr;
    mutable DWORD marker_ = 1000;
};

}  // namespace driver
