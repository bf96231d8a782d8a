// A static text of a dialog turned into a web link: dark blue text, underlined while hovered,
// a hand pointer, and a click or a released space bar opens the URL through the shell.
#pragma once

#include <windows.h>

class CHyperLink {
  public:
    // The window-property name that marks a link control and keeps its parent's old procedure.
    static const char kPropertyName[];
    static ATOM propertyAtom;
    static LONG linkCount;
    static HFONT underlineFont;
    static HCURSOR linkCursor;
    static constexpr COLORREF kLinkColor = RGB(0, 0, 180);

    CHyperLink() = default;
    virtual ~CHyperLink();
    CHyperLink(const CHyperLink&) = delete;
    CHyperLink& operator=(const CHyperLink&) = delete;

    bool AttachDialogItem(HWND dialog, int controlId, const char* url);
    bool Attach(HWND control, const char* url);
    bool SetUrl(const char* url);
    void Open();

    const char* Url() const { return url; }
    bool Visited() const { return visited != FALSE; }

    virtual void OnHighlight() {}
    virtual void OnUnhighlight() {}

    static LRESULT CALLBACK LinkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ParentWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    LRESULT OnDestroy(HWND control, WPARAM wParam, LPARAM lParam);
    void OnMouseMove(HWND control, LPARAM lParam);
    void OnCaptureChanged(HWND control);

    char* url = nullptr;
    BOOL hovering = FALSE;
    BOOL visited = FALSE;
    HFONT savedFont = nullptr;
    WNDPROC savedWndProc = nullptr;
};

// Opens a web page in the user's browser through the shell's "open" verb; the outcome is not looked at.
void ShellOpenUrl(const char* url);

// Adds the property atom for the life of the process; one instance exists, defined with the
// other objects that must be ready before WinMain.
struct CHyperLinkAtom {
    CHyperLinkAtom();
    ~CHyperLinkAtom();
};
