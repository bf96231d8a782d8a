// The dialog procedures of the five wizard pages, in the wizard's order, and the text helpers
// the pages share.
#pragma once

#include <windows.h>

#include <string>

#include "app/config.h"
#include "app/setup.h"

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LicensePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CompletionPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The progress page's question before the wizard is cancelled; true keeps the wizard open.
bool ConfirmCancel(HWND page);

// printf-style into a fixed text buffer; a longer result is cut to 259 characters and still
// terminated. Returns the count of characters written.
int FormatText(char (&buffer)[kTextBufferSize], const char* format, ...);

// What "Buy Now" opens: the maker's purchase page for the maker's own channel, otherwise the
// product's page at the store that sold this copy.
const std::string& PurchasePageUrl(const CProductInfo& product, DistributorId distributor);
