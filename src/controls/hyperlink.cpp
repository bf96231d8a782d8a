#include "controls/hyperlink.h"

#include <shellapi.h>
#include <string.h>

#include <new>

const char CHyperLink::kPropertyName[] = "_Hyperlink_Object_Pointer_\\{AFEED740-CC6D-47c5-831D-9848FD916EEF}";
ATOM CHyperLink::propertyAtom = 0;
LONG CHyperLink::linkCount = 0;
HFONT CHyperLink::underlineFont = nullptr;
HCURSOR CHyperLink::linkCursor = nullptr;

namespace {

// The property functions take an atom in place of a name.
LPCSTR PropertyKey() {
    return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(CHyperLink::propertyAtom));
}

void SetControlFont(HWND control, HFONT font) {
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

// Every hovered link shows this one font, derived from the first link's own. A control without a
// font of its own draws with the system font, so that is the one underlined then.
void CreateUnderlineFont(HFONT linkFont) {
    HGDIOBJ source = linkFont != nullptr ? static_cast<HGDIOBJ>(linkFont) : GetStockObject(SYSTEM_FONT);
    LOGFONTA description = {};
    if (GetObjectA(source, sizeof(description), &description) == 0)
        return;
    description.lfUnderline = TRUE;
    CHyperLink::underlineFont = CreateFontIndirectA(&description);
}

void LoadLinkCursor() {
    CHyperLink::linkCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
    if (CHyperLink::linkCursor == nullptr)
        CHyperLink::linkCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
}

// Drawn by inversion: the same call at focus loss removes it again.
void DrawFocusFrame(HWND control) {
    HWND parent = GetParent(control);
    if (parent == nullptr)
        return;
    RECT frame;
    GetWindowRect(control, &frame);
    InflateRect(&frame, 1, 1);
    ScreenToClient(parent, reinterpret_cast<POINT*>(&frame.left));
    ScreenToClient(parent, reinterpret_cast<POINT*>(&frame.right));
    HDC dc = GetDC(parent);
    DrawFocusRect(dc, &frame);
    ReleaseDC(parent, dc);
}

// One subclass per dialog, however many links it holds: the property keeps the dialog's own procedure.
void SubclassParent(HWND parent) {
    if (parent == nullptr)
        return;
    const LONG_PTR current = GetWindowLongPtrA(parent, GWLP_WNDPROC);
    if (current == reinterpret_cast<LONG_PTR>(CHyperLink::ParentWndProc))
        return;
    SetPropA(parent, PropertyKey(), reinterpret_cast<HANDLE>(current));
    SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CHyperLink::ParentWndProc));
}

// The dialog chooses background, brush and font as for any static; the link overrides only the
// text colour.
LRESULT ColorLinkText(WNDPROC dialogProc, HWND dialog, WPARAM dc, LPARAM control) {
    const LRESULT brush = CallWindowProcA(dialogProc, dialog, WM_CTLCOLORSTATIC, dc, control);
    SetTextColor(reinterpret_cast<HDC>(dc), CHyperLink::kLinkColor);
    return brush;
}

}  // namespace

void ShellOpenUrl(const char* url) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = "open";
    info.lpFile = url;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
}

CHyperLinkAtom::CHyperLinkAtom() {
    CHyperLink::propertyAtom = GlobalAddAtomA(CHyperLink::kPropertyName);
}

CHyperLinkAtom::~CHyperLinkAtom() {
    GlobalDeleteAtom(CHyperLink::propertyAtom);
}

CHyperLink::~CHyperLink() {
    delete[] url;
}

bool CHyperLink::AttachDialogItem(HWND dialog, int controlId, const char* newUrl) {
    return Attach(GetDlgItem(dialog, controlId), newUrl);
}

bool CHyperLink::Attach(HWND control, const char* newUrl) {
    if (!SetUrl(newUrl))
        return false;
    SubclassParent(GetParent(control));
    // A static control only sees the mouse with SS_NOTIFY.
    SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | SS_NOTIFY);
    savedFont = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (linkCount++ == 0) {
        CreateUnderlineFont(savedFont);
        LoadLinkCursor();
    }
    savedWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_WNDPROC));
    SetPropA(control, PropertyKey(), this);
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LinkWndProc));
    return true;
}

bool CHyperLink::SetUrl(const char* newUrl) {
    // The new copy is made before the old one goes, so a link may be given its own URL again.
    char* copy = newUrl != nullptr ? new (std::nothrow) char[strlen(newUrl) + 1] : nullptr;
    if (copy != nullptr)
        lstrcpyA(copy, newUrl);
    delete[] url;
    url = copy;
    return url != nullptr;
}

void CHyperLink::Open() {
    if (url != nullptr)
        ShellOpenUrl(url);
    visited = TRUE;
}

LRESULT CHyperLink::OnDestroy(HWND control, WPARAM wParam, LPARAM lParam) {
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedWndProc));
    SetControlFont(control, savedFont);
    if (--linkCount <= 0) {
        // A shared system cursor: forgotten, not destroyed.
        linkCursor = nullptr;
        if (underlineFont != nullptr)
            DeleteObject(underlineFont);
        underlineFont = nullptr;
    }
    RemovePropA(control, PropertyKey());
    return CallWindowProcA(savedWndProc, control, WM_DESTROY, wParam, lParam);
}

void CHyperLink::OnMouseMove(HWND control, LPARAM lParam) {
    if (!hovering) {
        hovering = TRUE;
        SetControlFont(control, underlineFont);
        InvalidateRect(control, nullptr, FALSE);
        OnHighlight();
        // The capture keeps the moves coming after the pointer leaves, so the link sees it go.
        SetCapture(control);
        return;
    }
    RECT area;
    GetClientRect(control, &area);
    // Read unsigned: a position left of or above the control becomes a large value, so outside.
    const LONG x = LOWORD(lParam);
    const LONG y = HIWORD(lParam);
    if (!(area.left <= x && x < area.right && area.top <= y && y < area.bottom))
        ReleaseCapture();
}

void CHyperLink::OnCaptureChanged(HWND control) {
    hovering = FALSE;
    OnUnhighlight();
    SetControlFont(control, savedFont);
    InvalidateRect(control, nullptr, FALSE);
}

LRESULT CALLBACK CHyperLink::LinkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* link = static_cast<CHyperLink*>(GetPropA(window, PropertyKey()));
    if (link == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            return link->OnDestroy(window, wParam, lParam);
        case WM_SETFOCUS:
            link->OnHighlight();
            DrawFocusFrame(window);
            return 0;
        case WM_KILLFOCUS:
            link->OnUnhighlight();
            DrawFocusFrame(window);
            return 0;
        case WM_SETCURSOR:
            SetCursor(linkCursor);
            return TRUE;
        case WM_KEYUP:
            if (wParam != VK_SPACE)
                break;
            link->Open();
            return 0;
        case WM_LBUTTONUP:
            link->Open();
            return 0;
        case WM_MOUSEMOVE:
            link->OnMouseMove(window, lParam);
            return 0;
        case WM_CAPTURECHANGED:
            link->OnCaptureChanged(window);
            return 0;
    }
    return CallWindowProcA(link->savedWndProc, window, message, wParam, lParam);
}

LRESULT CALLBACK CHyperLink::ParentWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, PropertyKey()));
    if (previous == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY:
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropA(window, PropertyKey());
            break;
        case WM_CTLCOLORSTATIC:
            if (GetPropA(reinterpret_cast<HWND>(lParam), PropertyKey()) != nullptr)
                return ColorLinkText(previous, window, wParam, lParam);
            break;
    }
    return CallWindowProcA(previous, window, message, wParam, lParam);
}
