// Setup resolution from real adapter data under Wine (an 800x600 Xvfb screen
// offering X8R8G8B8 and R5G6B5), and from adapter data edited to reach the
// edge cases.

#include "app/display_system.h"
#include "app/resource.h"
#include "app/setup_dialog.h"
#include "base/diag_log.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

// Creates the dialog, reads it back and destroys it, as the program entry does.
void resolve(DisplaySystem& display) {
    SetupDialog setup(display);
    HWND dialog = setup.create(GetModuleHandleA(nullptr));
    ASSERT_NE(dialog, nullptr);
    setup.readControls();
    DestroyWindow(dialog);
}

D3DDISPLAYMODE mode(UINT w, UINT h, UINT rate, D3DFORMAT f) {
    return D3DDISPLAYMODE{w, h, rate, f};
}

} // namespace

TEST(DisplaySystem, EnumerationWritesTheAdapterListToTheLog) {
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    ASSERT_GE(display.adapterCount, 1);
    EXPECT_EQ(log.str().rfind("Number of Adapters: ", 0), 0u) << log.str();
    EXPECT_NE(log.str().find("Adapter 0: "), std::string::npos);
    EXPECT_NE(log.str().find("  Driver Version: "), std::string::npos);
    EXPECT_GT(display.adapters[0].modeCount, 0);
}

TEST(Setup, DefaultsResolveToTheFullScreenModeOfTheScreen) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    resolve(display);
    const SetupSettings& s = display.settings;
    EXPECT_FALSE(s.windowed);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.windowWidth, 810);
    EXPECT_EQ(s.windowHeight, 630);
    EXPECT_EQ(s.displayFormat, D3DFMT_X8R8G8B8); // the first table format the modes offer
    EXPECT_NE(s.backBufferFormat, D3DFMT_UNKNOWN);
    EXPECT_EQ(s.scriptFile, "scene.scr");
    EXPECT_EQ(s.multiSample, 0);
    EXPECT_FALSE(s.gui);
    EXPECT_EQ(s.adapter, 0);
}

TEST(Setup, ModeChoiceFollowsTheAdapterModes) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    AdapterInfo& a = display.adapters[0];
    // Several 800x600 modes: the last of the display format wins.
    a.modes = {mode(640, 480, 60, D3DFMT_X8R8G8B8), mode(800, 600, 60, D3DFMT_X8R8G8B8),
               mode(800, 600, 75, D3DFMT_R5G6B5), mode(800, 600, 85, D3DFMT_X8R8G8B8),
               mode(1024, 768, 60, D3DFMT_X8R8G8B8)};
    resolve(display);
    EXPECT_EQ(display.settings.width, 800);
    EXPECT_EQ(a.selectedMode, 3);

    // Without 800x600 in that format the first mode of the format is taken.
    DisplaySystem other;
    ASSERT_TRUE(other.enumerateAdapters());
    other.adapters[0].modes = {mode(800, 600, 60, D3DFMT_R5G6B5),
                               mode(1024, 768, 60, D3DFMT_X8R8G8B8),
                               mode(640, 480, 60, D3DFMT_X8R8G8B8)};
    resolve(other);
    EXPECT_EQ(other.settings.displayFormat, D3DFMT_X8R8G8B8);
    EXPECT_EQ(other.settings.width, 1024);
    EXPECT_EQ(other.settings.height, 768);
    EXPECT_EQ(other.adapters[0].selectedMode, 1);
}

TEST(Setup, StereoHalvesAndDoublesTheWindowSize) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    display.settings.windowWidth = 811;
    SetupDialog setup(display);
    HWND dialog = setup.create(GetModuleHandleA(nullptr));
    ASSERT_NE(dialog, nullptr);
    CheckDlgButton(dialog, IDC_STEREO, BST_CHECKED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_STEREO, BN_CLICKED), 0);
    EXPECT_EQ(GetDlgItemInt(dialog, IDC_WIDTH, nullptr, TRUE), 405u);
    EXPECT_EQ(GetDlgItemInt(dialog, IDC_HEIGHT, nullptr, TRUE), 315u);
    CheckDlgButton(dialog, IDC_STEREO, BST_UNCHECKED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_STEREO, BN_CLICKED), 0);
    EXPECT_EQ(GetDlgItemInt(dialog, IDC_WIDTH, nullptr, TRUE), 810u); // the low bit is gone
    setup.readControls();
    EXPECT_FALSE(display.settings.stereo);
    EXPECT_EQ(display.settings.windowWidth, 810);
    DestroyWindow(dialog);
}

TEST(Setup, WindowedRuleSwitchesTheControlGroups) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    display.settings.windowed = true;
    display.settings.scriptFile = "other.scr";
    SetupDialog setup(display);
    HWND dialog = setup.create(GetModuleHandleA(nullptr));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_WIDTH)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_MODES)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_DISPLAY)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_GUI)));
    CheckDlgButton(dialog, IDC_WINDOWED, BST_UNCHECKED);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_WINDOWED, BN_CLICKED), 0);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_WIDTH)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_MODES)));
    setup.readControls();
    EXPECT_FALSE(display.settings.windowed);
    EXPECT_EQ(display.settings.scriptFile, "other.scr");
    char title[64] = {};
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "zAMo Accelerated Setup");
    DestroyWindow(dialog);
}
