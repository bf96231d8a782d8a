// The third page, install options: the five products with tick boxes, the main product locked
// in, and a white panel that presents the selected product.
#include <windows.h>

#include <commctrl.h>

#include "controls/hyperlink.h"
#include "res/resource.h"
#include "wizard/chrome.h"
#include "wizard/pages.h"
#include "wizard/wizard.h"

namespace {

const int kLockedTickImage = 3;
const int kTickedImage = 2;
const int kUntickedImage = 1;

CHyperLink* moreInfoLink = nullptr;
bool layoutDone = false;
// While the items are being made, every state change is the page's own.
bool filling = false;

CProductInfo& ProductAt(int position) {
    return g_setupConfig.products[kProductOrder[position]];
}

// The tick that a list position must show: the main product's is locked, the others mirror
// their selected flag.
int ExpectedStateImage(int position) {
    if (position == 0)
        return kLockedTickImage;
    return ProductAt(position).selected ? kTickedImage : kUntickedImage;
}

void SetStateImage(HWND list, int position, int image) {
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    SendMessageA(list, LVM_SETITEMSTATE, position, reinterpret_cast<LPARAM>(&item));
}

void InsertItem(HWND list, int position, const std::string& text) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = position;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SelectAndFocus(HWND list, int position) {
    LVITEMA item = {};
    item.mask = LVIF_STATE;
    item.iItem = position;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void ShowProductInfo(HWND page, int position) {
    const CProductInfo& product = ProductAt(position);
    SendDlgItemMessageA(page, IDC_PRODUCT_ICON, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(product.iconBitmap));
    SendDlgItemMessageA(page, IDC_PRODUCT_SLOGAN, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(product.sloganBitmap));
    SetDlgItemTextA(page, IDC_PRODUCT_DESCRIPTION, product.description.c_str());
    // The description is drawn transparently: hiding and showing it repaints the white panel
    // behind it before the new text is drawn over it.
    HWND description = GetDlgItem(page, IDC_PRODUCT_DESCRIPTION);
    ShowWindow(description, SW_HIDE);
    ShowWindow(description, SW_SHOW);
    moreInfoLink->SetUrl(product.infoUrls[g_setupConfig.distributor].c_str());
}

void ToggleProduct(HWND list, int position) {
    CProductInfo& product = ProductAt(position);
    product.selected = !product.selected;
    SetStateImage(list, position, product.selected ? kTickedImage : kUntickedImage);
}

// The list's own tick-box images carry no mask, so an icon appended as it is would show its
// transparent corners black; the locked tick is drawn onto the list's background at the size of
// the tick boxes instead, and that picture becomes state image 3.
void AppendLockedTick(HWND list) {
    auto states = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_STATE, 0));
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(states, &width, &height);
    HICON lockedTick = LoadIconA(g_appInstance, MAKEINTRESOURCEA(IDI_LOCKED_TICK));

    HDC screen = GetDC(list);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(list, screen);
    HGDIOBJ previous = SelectObject(memory, picture);
    HBRUSH background = CreateSolidBrush(static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0)));
    const RECT area = {0, 0, width, height};
    FillRect(memory, &area, background);
    DeleteObject(background);
    DrawIconEx(memory, 0, 0, lockedTick, width, height, 0, nullptr, DI_NORMAL);
    SelectObject(memory, previous);
    DeleteDC(memory);

    ImageList_Add(states, picture, nullptr);
    DeleteObject(picture);
}

void OnInitDialog(HWND page) {
    SetHeaderBitmap(page);
    HWND list = GetDlgItem(page, IDC_PRODUCT_LIST);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    filling = true;
    InsertItem(list, 0, g_setupConfig.products[0].name);
    SetStateImage(list, 0, 0);
    // Selecting the main product shows it in the panel at once.
    SelectAndFocus(list, 0);
    for (int position = 1; position < kProductCount; ++position) {
        CProductInfo& product = ProductAt(position);
        InsertItem(list, position, product.name + " (Trial)");
        SetStateImage(list, position, kUntickedImage);
        product.selected = false;
    }
    AppendLockedTick(list);
    SetStateImage(list, 0, kLockedTickImage);
    filling = false;
    moreInfoLink->AttachDialogItem(page, IDC_MORE_INFO_LINK,
                                   g_setupConfig.products[0].infoUrls[g_setupConfig.distributor].c_str());
}

INT_PTR SetResult(HWND page, LONG_PTR result) {
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

// The list view toggles a tick box on its own after the page has handled the click or the key;
// a state image that disagrees with the row's flag is refused here, so the shown tick always
// mirrors the flag and the main product keeps its locked tick.
INT_PTR OnItemChanging(HWND page, const NMLISTVIEW* change) {
    const bool imageChanges =
        (change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK);
    const int newImage = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
    const bool refuse = !filling && imageChanges && change->iItem >= 0 && change->iItem < kProductCount &&
                        newImage != ExpectedStateImage(change->iItem);
    return SetResult(page, refuse ? TRUE : FALSE);
}

bool OnBoxClick(HWND page, const NMITEMACTIVATE* click) {
    LVHITTESTINFO hit = {};
    hit.pt = click->ptAction;
    SendMessageA(click->hdr.hwndFrom, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!(hit.flags & LVHT_ONITEMSTATEICON))
        return false;
    if (hit.iItem > 0)
        ToggleProduct(click->hdr.hwndFrom, hit.iItem);
    return SetResult(page, 1);
}

bool OnSpaceBar(HWND page, const NMLVKEYDOWN* key) {
    if (key->wVKey != VK_SPACE)
        return false;
    const int item = static_cast<int>(SendMessageA(key->hdr.hwndFrom, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    if (item < 0)
        return false;
    if (item > 0)
        ToggleProduct(key->hdr.hwndFrom, item);
    return SetResult(page, 1);
}

// Answers a list notification; false when the notification goes on to the sheet's handling.
bool OnListNotify(HWND page, const NMHDR* header, INT_PTR& result) {
    result = TRUE;
    switch (header->code) {
        case LVN_ITEMCHANGING:
            result = OnItemChanging(page, reinterpret_cast<const NMLISTVIEW*>(header));
            return true;
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            if (change->uNewState & LVIS_SELECTED)
                ShowProductInfo(page, change->iItem);
            return true;
        }
        case NM_CLICK:
        case NM_DBLCLK:
        case NM_RCLICK:
        case NM_RDBLCLK:
            return OnBoxClick(page, reinterpret_cast<const NMITEMACTIVATE*>(header));
        case LVN_KEYDOWN:
            return OnSpaceBar(page, reinterpret_cast<const NMLVKEYDOWN*>(header));
        default:
            return false;
    }
}

INT_PTR OnNotify(HWND page, const NMHDR* header) {
    INT_PTR result;
    if (header->idFrom == IDC_PRODUCT_LIST && OnListNotify(page, header, result))
        return result;
    // The list sends notifications too: only the sheet's activation counts here.
    if (header->hwndFrom == GetParent(page) && header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        ApplyPageLayout(page, layoutDone);
        PostWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
    }
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!moreInfoLink)
        moreInfoLink = new CHyperLink;
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog(page);
            return TRUE;
        case WM_NOTIFY:
            return OnNotify(page, reinterpret_cast<const NMHDR*>(lParam));
        default:
            return DefaultPageMessage(page, message, wParam, lParam);
    }
}
