// The look that all five pages share: a white header band with a black line under it, the bold
// title at the top left, the product banner at the top right, the other controls moved below the
// header, the page stretched to the sheet's width, and the colours of the static controls.
#pragma once

#include <windows.h>

// The title font of every page; made at the first title paint and kept until the process ends.
extern HFONT g_titleFont;

// Gives the page its banner and hides the template's header icon. The banner control takes the
// bitmap's size here, which the first layout relies on.
void SetHeaderBitmap(HWND page);
// Runs at every activation; the header layout and the move of the controls only while layoutDone
// is false, which it then sets.
void ApplyPageLayout(HWND page, bool& layoutDone);
void FitPageToSheet(HWND page);
// Places title and banner; returns the header offset, the banner height plus the margins.
int LayoutHeader(HWND page);
// EnumChildWindows callback: moves one non-header control right and below the header.
BOOL CALLBACK OffsetChildProc(HWND child, LPARAM headerOffset);
void PaintHeaderBand(HWND page);
// The page's answer to WM_CTLCOLORSTATIC; 0 leaves the dialog's default colours.
HBRUSH OnCtlColorStatic(HDC dc, HWND control);
// What every page procedure does with a message it does not handle itself: the header band is
// painted and the header statics are coloured; anything else goes to the dialog's default.
INT_PTR DefaultPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The title font's LOGFONT height at the given vertical DPI: 11.5 points, as a character height.
int TitleFontHeight(int dpi);
// The header offset for a banner of the given height.
int HeaderOffset(int bannerHeight);
// How far the controls below the header move down for a header offset.
int HeaderShift(int headerOffset);
