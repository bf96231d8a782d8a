// The floor the setup's start-up, size and memory are held against: the smallest program that
// opens what the setup opens first, a classic wizard with one page from a template, built with the
// setup's flags and manifest.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "bench/baseline_resource.h"

namespace {

INT_PTR CALLBACK PageProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof(page);
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(IDD_BASELINE_PAGE);
    page.pfnDlgProc = PageProc;
    HPROPSHEETPAGE pages[] = {CreatePropertySheetPageA(&page)};

    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_WIZARD;
    header.hInstance = instance;
    header.pszCaption = "Baseline";
    header.nPages = 1;
    header.phpage = pages;
    PropertySheetA(&header);
    return 0;
}
