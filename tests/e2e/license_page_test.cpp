// The licence page on the real sheet: declined at first with only Back, Next only while accepted,
// the agreement put back after any edit, and the choice kept across Back and Next.
#include <windows.h>

#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>

#include "res/resource.h"
#include "support/driver.h"
#include "support/wizard_session.h"

namespace {

using driver::CWizardSession;

// The agreement exactly as the setup carries it.
std::string AgreementFromSetup() {
    HMODULE setup = LoadLibraryExA(driver::Env("ORVELLA_SETUP_EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::string text;
    HRSRC resource = setup ? FindResourceA(setup, MAKEINTRESOURCEA(IDR_LICENSE), "LIC_TEXT") : nullptr;
    if (resource != nullptr)
        text.assign(static_cast<const char*>(LockResource(LoadResource(setup, resource))),
                    SizeofResource(setup, resource));
    if (setup != nullptr)
        FreeLibrary(setup);
    return text;
}

std::string LastLine(const std::string& text) {
    std::string body = text;
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r'))
        body.pop_back();
    return body.substr(body.rfind('\n') + 1);
}

bool IsChecked(HWND button) {
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

class LicensePageTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(session_.Sheet(), nullptr);
        ASSERT_TRUE(session_.Next());
        page_ = session_.Page();
        agreement_ = AgreementFromSetup();
        ASSERT_GT(agreement_.size(), 1000u);
    }

    HWND Box() const { return GetDlgItem(page_, IDC_LICENSE_TEXT); }

    CWizardSession session_;
    HWND page_ = nullptr;
    std::string agreement_;
};

TEST_F(LicensePageTest, StartsDeclinedWithOnlyBackAndTheWholeAgreement) {
    EXPECT_TRUE(session_.WaitForButtons(true, false));
    EXPECT_TRUE(IsChecked(GetDlgItem(page_, IDC_DECLINE)));
    EXPECT_FALSE(IsChecked(GetDlgItem(page_, IDC_ACCEPT)));
    EXPECT_EQ(driver::WindowText(Box()), agreement_);
    EXPECT_TRUE(session_.WaitForTitle());
    EXPECT_TRUE(driver::SaveScreenshot(session_.Sheet(), "license_page"));
}

TEST_F(LicensePageTest, NextOnlyWhileAccepted) {
    driver::ClickButton(GetDlgItem(page_, IDC_ACCEPT));
    EXPECT_TRUE(session_.WaitForButtons(true, true)) << "accepting must enable Next";
    EXPECT_FALSE(IsChecked(GetDlgItem(page_, IDC_DECLINE)));
    driver::ClickButton(GetDlgItem(page_, IDC_DECLINE));
    EXPECT_TRUE(session_.WaitForButtons(true, false)) << "declining again must disable Next";
    EXPECT_FALSE(IsChecked(GetDlgItem(page_, IDC_ACCEPT)));
}

TEST_F(LicensePageTest, ChoiceSurvivesBackAndNext) {
    for (int choice : {IDC_ACCEPT, IDC_DECLINE}) {
        SCOPED_TRACE(choice == IDC_ACCEPT ? "accepted" : "declined");
        driver::ClickButton(GetDlgItem(page_, choice));
        ASSERT_TRUE(session_.Back());
        ASSERT_TRUE(session_.Next());
        ASSERT_EQ(session_.Page(), page_);
        EXPECT_TRUE(IsChecked(GetDlgItem(page_, choice)));
        EXPECT_TRUE(session_.WaitForButtons(true, choice == IDC_ACCEPT));
    }
}

void PutOnClipboard(const std::string& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
}

struct EditCase {
    const char* name;
    bool atEnd;  // the caret at the end of the text, else a selection in its middle
    std::function<void(HWND box)> edit;
};

TEST_F(LicensePageTest, EveryEditPutsTheAgreementBack) {
    const EditCase edits[] = {
        {"TypingAtTheEnd", true, [](HWND box) { SendMessageA(box, WM_CHAR, 'x', 1); }},
        {"EnterAtTheEnd", true, [](HWND box) { SendMessageA(box, WM_CHAR, '\r', 1); }},
        {"TypingOverASelection", false, [](HWND box) { SendMessageA(box, WM_CHAR, 'y', 1); }},
        {"Paste", true,
         [](HWND box) {
             PutOnClipboard("pasted text\r\nover two lines");
             SendMessageA(box, WM_PASTE, 0, 0);
         }},
        {"Cut", false, [](HWND box) { SendMessageA(box, WM_CUT, 0, 0); }},
    };
    const std::string lastLine = LastLine(agreement_);
    for (const EditCase& edit : edits) {
        SCOPED_TRACE(edit.name);
        const LPARAM length = static_cast<LPARAM>(agreement_.size());
        if (edit.atEnd)
            SendMessageA(Box(), EM_SETSEL, length, length);
        else
            SendMessageA(Box(), EM_SETSEL, 100, 200);
        edit.edit(Box());
        const std::string text = driver::WindowText(Box());
        EXPECT_EQ(text, agreement_);
        ASSERT_GE(text.size(), lastLine.size());
        EXPECT_EQ(text.substr(text.rfind(lastLine)), agreement_.substr(agreement_.rfind(lastLine)))
            << "the box must end with the agreement's last line and nothing after it";
    }
    EXPECT_TRUE(IsChecked(GetDlgItem(page_, IDC_DECLINE))) << "edits must not touch the choice";
}

}  // namespace
