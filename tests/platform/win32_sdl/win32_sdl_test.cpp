// The Win32 stand-in as the engine relies on it: GetAsyncKeyState's "pressed
// since the last query" bit, a window close taken as Escape and as WM_CLOSE,
// and the seams (timeGetTime is time_test.cpp's).
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>

#include "win32.h"
#include "win32_seams.h"

namespace {

class Win32Sdl : public ::testing::Test {
 protected:
  void SetUp() override {
    Win32ResetSeams();
    hWnd = CreateWindowExA(0, "STATIC", "Vimra", 0, 0, 0, 64, 36, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    DrainMessages();
    for (int vKey : {VK_ESCAPE, VK_F1, VK_F2}) GetAsyncKeyState(vKey);
  }
  void TearDown() override { Win32ResetSeams(); }

  static void DrainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  static void PushKey(SDL_Scancode Scancode, bool bDown) {
    SDL_Event Event{};
    Event.type = bDown ? SDL_KEYDOWN : SDL_KEYUP;
    Event.key.state = bDown ? SDL_PRESSED : SDL_RELEASED;
    Event.key.keysym.scancode = Scancode;
    SDL_PushEvent(&Event);
  }
  static void PushKeyDown(SDL_Scancode Scancode) { PushKey(Scancode, true); }

  static void PushClose() {
    SDL_Event Event{};
    Event.type = SDL_QUIT;
    SDL_PushEvent(&Event);
  }

  HWND hWnd = nullptr;
};

TEST_F(Win32Sdl, PressSinceLastQueryIsReportedOnce) {
  PushKeyDown(SDL_SCANCODE_F2);
  // Reported without a message pump: the frame loop may not pump between frames.
  EXPECT_EQ(GetAsyncKeyState(VK_F2) & 1, 1);
  EXPECT_EQ(GetAsyncKeyState(VK_F2) & 1, 0);
  EXPECT_EQ(GetAsyncKeyState(VK_F1), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
}

TEST_F(Win32Sdl, EachKeyKeepsItsOwnPress) {
  PushKeyDown(SDL_SCANCODE_F1);
  PushKeyDown(SDL_SCANCODE_ESCAPE);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE) & 1, 1);
  EXPECT_EQ(GetAsyncKeyState(VK_F1) & 1, 1);
  EXPECT_EQ(GetAsyncKeyState(VK_F2) & 1, 0);
}

TEST_F(Win32Sdl, UntrackedAndOutOfRangeKeysReadAsUp) {
  PushKeyDown(SDL_SCANCODE_A);
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
  EXPECT_EQ(GetAsyncKeyState(-1), 0);
  EXPECT_EQ(GetAsyncKeyState(256), 0);
  EXPECT_EQ(GetAsyncKeyState(0x7FFFFFFF), 0);
}

TEST_F(Win32Sdl, WindowCloseIsEscapeAndCloseMessage) {
  PushClose();
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE) & 1, 1);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
}

TEST_F(Win32Sdl, PeekWithoutRemoveLeavesTheMessageQueued) {
  PushKeyDown(SDL_SCANCODE_F1);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

// Messages carry Windows' virtual-key codes, as on Windows, not SDL's scancodes.
TEST_F(Win32Sdl, KeyMessagesCarryVirtualKeyCodes) {
  const struct {
    SDL_Scancode eScancode;
    WPARAM wVirtualKey;
  } Keys[] = {
      {SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDL_SCANCODE_F1, VK_F1}, {SDL_SCANCODE_F2, VK_F2},
      {SDL_SCANCODE_F12, 0x7B},         {SDL_SCANCODE_A, 'A'},    {SDL_SCANCODE_Z, 'Z'},
      {SDL_SCANCODE_1, '1'},            {SDL_SCANCODE_0, '0'},    {SDL_SCANCODE_RETURN, VK_RETURN},
      {SDL_SCANCODE_KP_ENTER, VK_RETURN}, {SDL_SCANCODE_SPACE, VK_SPACE}, {SDL_SCANCODE_DOWN, VK_DOWN},
      {SDL_SCANCODE_RSHIFT, VK_SHIFT},
  };
  for (const auto& Key : Keys) {
    SCOPED_TRACE(SDL_GetScancodeName(Key.eScancode));
    PushKey(Key.eScancode, true);
    PushKey(Key.eScancode, false);
    MSG Down{}, Up{};
    ASSERT_TRUE(PeekMessageA(&Down, nullptr, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&Up, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(Down.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(Up.message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(Down.wParam, Key.wVirtualKey);
    EXPECT_EQ(Up.wParam, Key.wVirtualKey);
  }
  // A key without a virtual-key code makes no message.
  PushKeyDown(SDL_SCANCODE_APPLICATION);
  MSG msg{};
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

// The key state and the messages read the same events: a press taken by
// GetAsyncKeyState still arrives as a message, and one taken by PeekMessageA
// still counts for GetAsyncKeyState.
TEST_F(Win32Sdl, KeyStateAndMessagesShareEachEvent) {
  PushKeyDown(SDL_SCANCODE_F2);
  EXPECT_EQ(GetAsyncKeyState(VK_F2) & 1, 1);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_F2));
  PushKeyDown(SDL_SCANCODE_ESCAPE);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE) & 1, 1);
}

TEST_F(Win32Sdl, OnlyTheStaticClassMakesAWindow) {
  EXPECT_EQ(CreateWindowExA(0, "BUTTON", "x", 0, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(CreateWindowExA(0, nullptr, "x", 0, 0, 0, 8, 8, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_NE(Win32GetSdlWindow(hWnd), nullptr);
  EXPECT_EQ(Win32GetSdlWindow(reinterpret_cast<HWND>(&hWnd)), nullptr);
}

TEST_F(Win32Sdl, ScriptedSourcesReplaceTheSystemAndResetRestoresIt) {
  Win32SetKeySource([](int vKey) { return static_cast<SHORT>(vKey == VK_F2 ? 0x8001 : 0); });
  Win32SetTimeSource([] { return DWORD{0xFFFFFFF6}; });
  EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_F2)), 0x8001);
  EXPECT_EQ(timeGetTime(), 0xFFFFFFF6u);
  Win32ResetSeams();
  EXPECT_EQ(GetAsyncKeyState(VK_F2), 0);
  EXPECT_NE(timeGetTime(), 0xFFFFFFF6u);
}

TEST(Win32Process, ExitHandlerAndMessageBoxHandlerStandInForThePerson) {
  Win32ResetSeams();
  std::string strSeen;
  Win32SetMessageBoxHandler([&](const std::string& strText, const std::string& strCaption) {
    strSeen = strCaption + ": " + strText;
    return IDOK;
  });
  EXPECT_EQ(MessageBoxA(nullptr, "D3D not initialized!", "Vimra", MB_OK), IDOK);
  EXPECT_EQ(strSeen, "Vimra: D3D not initialized!");
  Win32SetExitHandler([](UINT uCode) { throw static_cast<int>(uCode); });
  try {
    ExitProcess(static_cast<UINT>(-1));
    FAIL() << "ExitProcess returned";
  } catch (int iCode) {
    EXPECT_EQ(iCode, -1);
  }
  Win32ResetSeams();
}

}  // namespace
