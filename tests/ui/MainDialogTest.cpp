#include "AcquireContext.h"
#include "PartsDialog.h"
#include "TestSupport.h"
#include "resource.h"
#include <gtest/gtest.h>

namespace {

// Opens the main dialog without its modal run, so that the test can look at it.
class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        acquire = AcquireContext{};
        ASSERT_TRUE(dialog.Create(IDD_EPGMAIN_DIALOG));
    }
    HWND Item(int id) const { return GetDlgItem(dialog.m_hWnd, id); }
    bool Checked(int id) const { return IsDlgButtonChecked(dialog.m_hWnd, id) == BST_CHECKED; }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool CombosEnabled() const {
        return Enabled(IDC_START_HOUR) && Enabled(IDC_START_MINUTE) && Enabled(IDC_END_HOUR) &&
               Enabled(IDC_END_MINUTE);
    }
    bool CombosDisabled() const {
        return !Enabled(IDC_START_HOUR) && !Enabled(IDC_START_MINUTE) && !Enabled(IDC_END_HOUR) &&
               !Enabled(IDC_END_MINUTE);
    }
    void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }

    CPartsDialog dialog;
};

// Texts in code page 932, written as bytes so that they do not depend on the
// compiler's conversion of this file.
TEST_F(MainDialogTest, EveryTextOfTheTemplateReadsBackInCodePage932) {
    EXPECT_EQ(
        "EPG\x83\x66\x81\x5B\x83\x5E\x8A\xC7\x97\x9D\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80 ",
        WindowText(dialog.m_hWnd));
    struct Expected {
        int id;
        const char *text;
    } controls[] = {
        {IDOK, "OK"},
        {IDCANCEL, "\xB7\xAC\xDD\xBE\xD9"}, // ｷｬﾝｾﾙ
        {IDC_RADIO_MANUAL,
         "\x8E\xA9\x95\xAA\x82\xC5\x8E\xF3\x90\x4D\x82\xB7\x82\xE9"}, // 自分で受信する
        {IDC_RADIO_DAILY, "\x96\x88\x93\xFA\x8C\x88\x82\xDC\x82\xC1\x82\xBD\x8E\x9E\x8A\xD4"
                          "\x91\xD1\x82\xC9\x8E\xF3\x90\x4D\x82\xB7\x82\xE9"},
        {IDC_SETTABLE_RANGE, ""}, // emptied by the data exchange at start
        {IDC_DATA_DATE, ""},
        {IDC_ADAMS_LABEL, "\x81\x9C"
                          "ADAMS\x95\xFA\x91\x97\x82\xCC\x8E\xF3\x90\x4D"}, // ●ADAMS放送の受信
        {IDC_ADJUST_LABEL, "\x81\x9C\x8E\x9E\x8D\x8F\x92\xB2\x90\xAE"},     // ●時刻調整
        {IDC_ALWAYS_RECEIVE, "\x8F\xED\x82\xC9\x8E\xF3\x90\x4D\x82\xB7\x82\xE9"}, // 常に受信する
        {IDC_AUTO_ADJUST, "\x8E\xA9\x93\xAE\x82\xC5\x92\xB2\x90\xAE\x82\xF0\x8D\x73\x82\xA4"},
    };
    for (const Expected &control : controls)
        EXPECT_EQ(control.text, WindowText(Item(control.id))) << "control " << control.id;

    // The unnamed labels, in template order, with the group box among them.
    std::vector<std::string> labels;
    for (HWND child = GetWindow(dialog.m_hWnd, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF)
            labels.push_back(WindowText(child));
    EXPECT_EQ(
        (std::vector<std::string>{
            "\x81\x60", // ～
            "\x8E\x9E",
            "\x95\xAA",
            "\x8E\x9E",
            "\x95\xAA",                                         // 時 分 時 分
            "\x8E\xE6\x93\xBE\x8E\x9E\x8A\xD4\x90\xDD\x92\xE8", // 取得時間設定
            "\x90\xDD\x92\xE8\x89\xC2\x94\x5C\x82\xC8\x8E\x9E\x8A\xD4\x91\xD1", // 設定可能な時間帯
            "\x8E\xF3\x90\x4D\x95\xFB\x96\x40",                                 // 受信方法
            "\x93\x64\x8E\x71\x94\xD4\x91\x67\x95\xFA\x91\x97\x97\x5C\x92\xE8\x8E\x9E\x8A\xD4",
            "\x93\x64\x8E\x71\x94\xD4\x91\x67\x95\x5C\x83\x66\x81\x5B\x83\x5E\x82\xCC\x8E\xF3"
            "\x90\x4D",
        }),
        labels);
}

TEST_F(MainDialogTest, ControlsHaveTheirKindsAndStyles) {
    auto style = [&](int id) { return GetWindowLongA(Item(id), GWL_STYLE); };
    EXPECT_EQ(BS_DEFPUSHBUTTON, style(IDOK) & BS_TYPEMASK);
    EXPECT_EQ(BS_AUTORADIOBUTTON, style(IDC_RADIO_MANUAL) & BS_TYPEMASK);
    EXPECT_TRUE(style(IDC_RADIO_MANUAL) & WS_GROUP);
    EXPECT_FALSE(style(IDC_RADIO_DAILY) & WS_GROUP);
    EXPECT_EQ(BS_AUTOCHECKBOX, style(IDC_ALWAYS_RECEIVE) & BS_TYPEMASK);
    for (int id : {IDC_START_HOUR, IDC_START_MINUTE, IDC_END_HOUR, IDC_END_MINUTE}) {
        EXPECT_EQ(CBS_DROPDOWN, style(id) & 3) << id;
        EXPECT_TRUE(style(id) & CBS_SORT) << id;
    }
    EXPECT_FALSE(style(IDC_TIME_LIST) & LBS_SORT);
    EXPECT_TRUE(style(IDC_TIME_LIST) & LBS_NOINTEGRALHEIGHT);
    EXPECT_TRUE(GetWindowLongA(dialog.m_hWnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_TRUE(GetWindowLongA(dialog.m_hWnd, GWL_STYLE) & WS_MINIMIZEBOX);
    EXPECT_FALSE(GetWindowLongA(dialog.m_hWnd, GWL_STYLE) & WS_MAXIMIZEBOX);
}

TEST_F(MainDialogTest, DataExchangeBindsTheWrappersTheRadioGroupAndTheTexts) {
    EXPECT_EQ(Item(IDC_RADIO_MANUAL), dialog.manualButton.m_hWnd);
    EXPECT_EQ(Item(IDC_TIME_LIST), dialog.timeList.m_hWnd);
    EXPECT_EQ(Item(IDC_START_MINUTE), dialog.startMinuteCombo.m_hWnd);
    EXPECT_EQ(Item(IDC_END_HOUR), dialog.endHourCombo.m_hWnd);
    EXPECT_TRUE(Checked(IDC_RADIO_MANUAL));
    EXPECT_FALSE(Checked(IDC_RADIO_DAILY));
    EXPECT_NE(nullptr, dialog.appIcon);
    // Dragged while minimised, the dialog shows the program's icon.
    EXPECT_EQ((LRESULT)LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)),
              SendMessageA(dialog.m_hWnd, WM_QUERYDRAGICON, 0, 0));

    dialog.receiveMode = 1;
    dialog.settableRangeText = "4:00～5:00";
    dialog.dataDateText = "2026/12/08";
    dialog.UpdateData(FALSE);
    EXPECT_TRUE(Checked(IDC_RADIO_DAILY));
    EXPECT_FALSE(Checked(IDC_RADIO_MANUAL));
    EXPECT_EQ("4:00\x81\x60"
              "5:00",
              WindowText(Item(IDC_SETTABLE_RANGE)));
    EXPECT_EQ("2026/12/08", WindowText(Item(IDC_DATA_DATE)));

    CheckDlgButton(dialog.m_hWnd, IDC_RADIO_DAILY, BST_UNCHECKED);
    CheckDlgButton(dialog.m_hWnd, IDC_RADIO_MANUAL, BST_CHECKED);
    SetWindowTextA(Item(IDC_DATA_DATE), "changed");
    dialog.UpdateData(TRUE);
    EXPECT_EQ(0, dialog.receiveMode);
    EXPECT_EQ("changed", dialog.dataDateText);
}

TEST_F(MainDialogTest, RadioButtonsSelectTheModeAndRefreshTheCheckBoxes) {
    acquire.status = StatusOutdated;
    acquire.alwaysReceiveAdams = 1;
    acquire.autoTimeAdjust = 0;
    dialog.SelectReceiveMode(0);
    EXPECT_TRUE(CombosDisabled());

    Click(IDC_RADIO_DAILY);
    EXPECT_EQ(1, dialog.receiveMode);
    EXPECT_TRUE(Checked(IDC_RADIO_DAILY));
    EXPECT_FALSE(Checked(IDC_RADIO_MANUAL));
    EXPECT_TRUE(CombosEnabled());
    EXPECT_TRUE(Enabled(IDC_TIME_LIST));
    EXPECT_TRUE(Checked(IDC_ALWAYS_RECEIVE));
    EXPECT_FALSE(Checked(IDC_AUTO_ADJUST));

    Click(IDC_RADIO_MANUAL);
    EXPECT_EQ(0, dialog.receiveMode);
    EXPECT_TRUE(CombosDisabled());
}

TEST_F(MainDialogTest, WithoutDataTheRadioButtonsDoNothingWhileCheckBoxesStillToggle) {
    acquire.status = StatusNoData;
    acquire.alwaysReceiveAdams = 1;
    dialog.SelectReceiveMode(0);

    Click(IDC_RADIO_DAILY);
    EXPECT_EQ(0, dialog.receiveMode);
    EXPECT_TRUE(CombosDisabled());
    EXPECT_FALSE(Checked(IDC_ALWAYS_RECEIVE)); // not refreshed from the flag

    Click(IDC_ALWAYS_RECEIVE);
    EXPECT_EQ(0u, acquire.alwaysReceiveAdams);
    EXPECT_FALSE(Checked(IDC_ALWAYS_RECEIVE));
    Click(IDC_AUTO_ADJUST);
    EXPECT_EQ(1u, acquire.autoTimeAdjust);
    EXPECT_TRUE(Checked(IDC_AUTO_ADJUST));
    Click(IDC_AUTO_ADJUST);
    EXPECT_EQ(0u, acquire.autoTimeAdjust);
    EXPECT_FALSE(Checked(IDC_AUTO_ADJUST));

    // Any nonzero flag counts as set, and toggles to 0.
    acquire.autoTimeAdjust = 0x40000000u;
    Click(IDC_AUTO_ADJUST);
    EXPECT_EQ(0u, acquire.autoTimeAdjust);
}

// The dialog whose minimised background is seen being erased: the erase,
// sent with the paint device context, fills the client area with a colour of its own.
class CIconPaintDialog : public CPartsDialog {
public:
    static constexpr COLORREF Background = RGB(1, 2, 3);
    int erased = 0;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result) override {
        if (message != WM_ICONERASEBKGND || !wParam || lParam != 0)
            return CPartsDialog::OnMessage(message, wParam, lParam, result);
        ++erased;
        RECT client;
        GetClientRect(m_hWnd, &client);
        HBRUSH brush = CreateSolidBrush(Background);
        FillRect((HDC)wParam, &client, brush);
        DeleteObject(brush);
        result = 1;
        return true;
    }
};

TEST_F(MainDialogTest, MinimisedTheDialogPaintsItsIconInTheMiddleOfItsClientArea) {
    CIconPaintDialog painted;
    ASSERT_TRUE(painted.Create(IDD_EPGMAIN_DIALOG));
    ShowWindow(painted.m_hWnd, SW_SHOWNOACTIVATE);
    // Not minimised, it paints as any dialog: no icon background is erased.
    RedrawWindow(painted.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(0, painted.erased);

    // Wine gives a minimised window an empty client area, which shows
    // nothing. The style alone makes the dialog minimised to itself at its
    // full size, with no controls (a minimised window shows none). Wine then
    // paints it from the window's corner, seen through the client area.
    RECT client, frame;
    GetClientRect(painted.m_hWnd, &client);
    GetWindowRect(painted.m_hWnd, &frame);
    POINT seen = {0, 0}; // the client area's corner within the window
    ClientToScreen(painted.m_hWnd, &seen);
    seen.x -= frame.left;
    seen.y -= frame.top;
    for (HWND child = GetWindow(painted.m_hWnd, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT))
        ShowWindow(child, SW_HIDE);
    SetWindowLongA(painted.m_hWnd, GWL_STYLE,
                   GetWindowLongA(painted.m_hWnd, GWL_STYLE) | WS_MINIMIZE);
    ASSERT_TRUE(IsIconic(painted.m_hWnd));
    RedrawWindow(painted.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(1, painted.erased);

    // Over the erased background: the program's icon in the middle (the odd
    // pixel to the right and below), and nothing else.
    int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    int left = (client.right - width + 1) / 2, top = (client.bottom - height + 1) / 2;
    HDC shown = GetWindowDC(painted.m_hWnd);
    HDC drawn = CreateCompatibleDC(shown);
    HBITMAP picture = CreateCompatibleBitmap(shown, client.right, client.bottom);
    HGDIOBJ old = SelectObject(drawn, picture);
    HBRUSH brush = CreateSolidBrush(CIconPaintDialog::Background);
    FillRect(drawn, &client, brush);
    DeleteObject(brush);
    DrawIcon(drawn, left, top, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_APP)));
    int iconPixels = 0, differing = 0;
    for (int y = seen.y; y < client.bottom; ++y)
        for (int x = seen.x; x < client.right; ++x) {
            COLORREF expected = GetPixel(drawn, x, y);
            iconPixels += expected != CIconPaintDialog::Background;
            differing += expected != GetPixel(shown, x, y);
        }
    EXPECT_GT(iconPixels, width * height / 4);
    EXPECT_EQ(0, differing);
    SelectObject(drawn, old);
    DeleteObject(picture);
    DeleteDC(drawn);
    ReleaseDC(painted.m_hWnd, shown);
}

} // namespace
