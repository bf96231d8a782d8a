// The modal property sheet in classic wizard mode that hosts the five pages: its caption and icon,
// centring, the build line beside the buttons, the full-width separator, and the button states
// that pages and the install worker ask for.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

// The sheet's procedure as it was before SheetWndProc was put in front of it; set once, never reset.
extern WNDPROC g_oldSheetProc;

void RunWizard();

void CenterWindow(HWND window);
// First thing the welcome page does: centres the sheet, subclasses it and gives it its large icon.
void InitSheetFrame(HWND sheet);
// Lets the etched line above the buttons run from edge to edge, like the pages.
void StretchSeparator(HWND sheet);
LRESULT CALLBACK SheetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintBuildLine(HWND sheet);

// Enables Back and Next as the PSWIZB_ mask says; posted, so it may be called during activation.
void PostWizardButtons(HWND page, DWORD buttons);

// Where a window of the given size goes: centred on the reference rectangle, then clamped into the
// bounds with the left and top edges winning when the window does not fit.
POINT ComputeCenteredPosition(const RECT& reference, const RECT& bounds, int width, int height);
// "Orvella (Build 2.3.0.230)" for the main product Orvella.
std::string BuildLineText(const std::string& productName);
