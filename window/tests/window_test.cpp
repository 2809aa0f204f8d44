// The window in this process: built from its template, shown, and driven through its messages.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "allocation.h"
#include "events.h"
#include "fatal_error.h"
#include "ids.h"
#include "main_window.h"
#include "window_helpers.h"

namespace vornelle {
namespace {

using testing::PumpMessages;
using testing::ReadA;

std::wstring ReadW(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT PlaceInClient(HWND parent, HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HoldEvents();
    ASSERT_TRUE(window_.Build(GetModuleHandleW(nullptr)));
    ReleaseEvents();
    design_caption_ = ReadW(window_.Handle());
    RaiseEvent(window_, kMainWindowId, Event::kCreated);
    window_.Show();
    PumpMessages();
  }
  void TearDown() override {
    SetAllocationFailurePredicate(nullptr);
    SetFatalErrorHooks(nullptr);
    ReleaseEvents();
  }

  HWND Control(int id) { return window_.Control(id); }
  void Click(int id) {
    SendMessageW(Control(id), BM_CLICK, 0, 0);
    PumpMessages();
  }

  MainWindow window_{MainWindow::Options{false}};
  std::wstring design_caption_;
};

// The run says which ANSI code page it means to test (tools/run-tests.sh runs two).
TEST(CodePageTest, IsTheOneThisRunAskedFor) {
  char expected[16] = {};
  if (GetEnvironmentVariableA("VORNELLE_EXPECT_ACP", expected, sizeof expected) == 0) {
    GTEST_SKIP() << "no code page asked for";
  }
  EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(expected)));
}

TEST_F(WindowTest, WindowHasItsClassStylesSizeAndCentredPlace) {
  HWND window = window_.Handle();
  EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
  EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), 0);
  EXPECT_EQ(GetClassLongPtrW(window, GCLP_HICON), 0);
  EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrW(window, GCLP_HCURSOR)),
            LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS),
            static_cast<DWORD>(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_CLIPCHILDREN));
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_EQ(GetMenu(window), nullptr);
  EXPECT_FALSE(IsIconic(window) || IsZoomed(window));
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, 450);
  EXPECT_EQ(outer.bottom - outer.top, 272);
  EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - 450) / 2);
  EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - 272) / 2);
}

TEST_F(WindowTest, CaptionIsReplacedBeforeTheWindowIsShown) {
  EXPECT_EQ(design_caption_, L"16进制与文本转换");
  EXPECT_EQ(ReadW(window_.Handle()), L"Vornelle V1.0.2");
}

TEST_F(WindowTest, ControlsHaveTheirKindsPlacesSizesStylesAndFonts) {
  struct Expected {
    int id;
    const wchar_t* class_name;
    RECT place;  // left, top, right, bottom in the client area
    DWORD style;
    const wchar_t* text;
  } const expected[] = {
      {kEditBox1Id, L"Edit", {2, 6, 442, 61}, kEditBoxStyle, L""},
      {kEditBox2Id, L"Edit", {2, 86, 442, 141}, kEditBoxStyle, L""},
      {kEditBox3Id, L"Edit", {2, 166, 442, 221}, kEditBoxStyle, L""},
      {kButton1Id,
       L"Button",
       {2, 63, 442, 83},
       kButtonStyle | BS_DEFPUSHBUTTON,
       L"文本转换十六进制"},
      {kButton2Id, L"Button", {2, 143, 442, 163}, kButtonStyle | BS_PUSHBUTTON, L"Vornelle文本"},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.id);
    HWND control = Control(e.id);
    ASSERT_NE(control, nullptr);
    wchar_t class_name[64] = {};
    GetClassNameW(control, class_name, 64);
    EXPECT_EQ(lstrcmpiW(class_name, e.class_name), 0) << class_name;
    EXPECT_EQ(GetParent(control), window_.Handle());
    EXPECT_EQ(GetDlgCtrlID(control), e.id);
    const RECT place = PlaceInClient(window_.Handle(), control);
    EXPECT_EQ(place.left, e.place.left);
    EXPECT_EQ(place.top, e.place.top);
    EXPECT_EQ(place.right, e.place.right);
    EXPECT_EQ(place.bottom, e.place.bottom);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE)), e.style | WS_VISIBLE);
    EXPECT_EQ(GetWindowLongPtrW(control, GWL_EXSTYLE) &
                  (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME),
              0);
    EXPECT_EQ(ReadW(control), e.text);
    EXPECT_TRUE(IsWindowEnabled(control));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)),
              GetStockObject(DEFAULT_GUI_FONT));
  }
  for (const int id : {kEditBox1Id, kEditBox2Id, kEditBox3Id}) {
    DWORD start = 1, end = 1;
    SendMessageW(Control(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    // Length limit 0 is the largest the multi-line control supports.
    EXPECT_GE(static_cast<unsigned long>(SendMessageW(Control(id), EM_GETLIMITTEXT, 0, 0)),
              0x7FFFFFFEul);
  }
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(Control(kStatusBar1Id), WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(WindowTest, ControlsAreStackedInReverseCreationOrder) {
  std::vector<int> order;
  for (HWND child = GetWindow(window_.Handle(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    order.push_back(GetDlgCtrlID(child));
  }
  const std::vector<int> expected = {kStatusBar1Id, kButton2Id,  kButton1Id,
                                     kEditBox3Id,   kEditBox2Id, kEditBox1Id};
  EXPECT_EQ(order, expected);
}

TEST_F(WindowTest, EditBoxesAnswerTheirColoursOnButtonFace) {
  struct Case {
    int id;
    COLORREF text;
  } const cases[] = {{kEditBox1Id, RGB(255, 0, 0)},
                     {kEditBox2Id, RGB(255, 128, 0)},
                     {kEditBox3Id, RGB(128, 0, 128)}};
  HDC dc = CreateCompatibleDC(nullptr);
  for (const auto& c : cases) {
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(window_.Handle(), WM_CTLCOLOREDIT,
                                                       reinterpret_cast<WPARAM>(dc),
                                                       reinterpret_cast<LPARAM>(Control(c.id))));
    EXPECT_EQ(GetTextColor(dc), c.text) << c.id;
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE)) << c.id;
    LOGBRUSH logbrush{};
    ASSERT_EQ(GetObjectW(brush, sizeof logbrush, &logbrush), static_cast<int>(sizeof logbrush));
    EXPECT_EQ(logbrush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(logbrush.lbColor, GetSysColor(COLOR_BTNFACE));
  }
  DeleteDC(dc);
}

TEST_F(WindowTest, BackgroundIsPaintedButtonFace) {
  HDC dc = GetDC(window_.Handle());
  RedrawWindow(window_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  // Between 按钮1 and 编辑框2, where no control lies.
  EXPECT_EQ(GetPixel(dc, 200, 84), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetPixel(dc, 1, 30), GetSysColor(COLOR_BTNFACE));
  ReleaseDC(window_.Handle(), dc);
}

void ExpectStatusBarDocked(HWND window, HWND bar) {
  RECT client{};
  GetClientRect(window, &client);
  const RECT place = PlaceInClient(window, bar);
  EXPECT_EQ(place.left, 0);
  EXPECT_EQ(place.right, client.right);
  EXPECT_EQ(place.bottom, client.bottom);
  EXPECT_GT(place.bottom - place.top, 10);
}

TEST_F(WindowTest, StatusBarIsDockedAtTheBottomAlsoAfterMinimizeAndRestore) {
  HWND bar = Control(kStatusBar1Id);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(bar, GWL_STYLE));
  EXPECT_EQ(style & (kStatusBarStyle | WS_TABSTOP), kStatusBarStyle);
  ExpectStatusBarDocked(window_.Handle(), bar);
  ShowWindow(window_.Handle(), SW_MINIMIZE);
  PumpMessages();
  ShowWindow(window_.Handle(), SW_RESTORE);
  PumpMessages();
  ExpectStatusBarDocked(window_.Handle(), bar);
}

TEST_F(WindowTest, StatusBarHasOnePaneWithTheStatusText) {
  HWND bar = Control(kStatusBar1Id);
  EXPECT_FALSE(SendMessageW(bar, SB_ISSIMPLE, 0, 0));
  int edges[4] = {};
  EXPECT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 1);
  EXPECT_EQ(edges[0], 450);
  wchar_t wide[64] = {};
  const LRESULT wide_result = SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(wide));
  EXPECT_EQ(std::wstring(wide), L"十六进制文本互换 ");
  EXPECT_EQ(HIWORD(wide_result), 0);  // drawing flags: the standard sunken border
  EXPECT_EQ(SendMessageW(bar, SB_GETICON, 0, 0), 0);
  wchar_t tip[64] = {L'x'};
  SendMessageW(bar, SB_GETTIPTEXTW, MAKEWPARAM(0, 64), reinterpret_cast<LPARAM>(tip));
  EXPECT_EQ(std::wstring(tip), L"");
  if (GetACP() == 936) {
    char bytes[64] = {};
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(bytes));
    EXPECT_EQ(std::string(bytes),
              "\xCA\xAE\xC1\xF9\xBD\xF8\xD6\xC6\xCE\xC4\xB1\xBE\xBB\xA5\xBB\xBB ");
  }
}

TEST_F(WindowTest, BothWindowIconsAreSixteenPixelImages) {
  for (const WPARAM which : {ICON_BIG, ICON_SMALL}) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(window_.Handle(), WM_GETICON, which, 0));
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 16);
    EXPECT_EQ(bitmap.bmHeight, 16);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
}

TEST_F(WindowTest, ConversionsRunThroughTheRealEditBoxes) {
  const std::string text = GetACP() == 936 ? "AB\xD6\xD0\r\n\t" : "AB\r\n\t\xE9";
  const std::string listing = GetACP() == 936 ? "41 42 D6 D0 0D 0A 09 " : "41 42 0D 0A 09 E9 ";
  SetWindowTextA(Control(kEditBox3Id), "kept until the second button");
  SetWindowTextA(Control(kEditBox1Id), text.c_str());
  Click(kButton1Id);
  EXPECT_EQ(ReadA(Control(kEditBox2Id)), listing);
  EXPECT_EQ(ReadA(Control(kEditBox1Id)), text);
  EXPECT_EQ(ReadA(Control(kEditBox3Id)), "kept until the second button");
  DWORD start = 0, end = 0;
  SendMessageW(Control(kEditBox2Id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, listing.size());
  EXPECT_EQ(end, listing.size());
  EXPECT_FALSE(SendMessageW(Control(kEditBox2Id), EM_CANUNDO, 0, 0));
  Click(kButton2Id);
  EXPECT_EQ(ReadA(Control(kEditBox3Id)), text);
  EXPECT_EQ(ReadA(Control(kEditBox2Id)), listing);
}

TEST_F(WindowTest, LongListingEndsWithCaretAfterTheLastSpaceAndTheEndInView) {
  std::string text;
  for (int i = 0; i < 9000; ++i) text += static_cast<char>('!' + i % 90);
  SetWindowTextA(Control(kEditBox1Id), text.c_str());
  HWND listing_box = Control(kEditBox2Id);
  SetWindowTextA(listing_box, "stale");
  SendMessageW(listing_box, EM_SETSEL, 0, 3);  // a selection of the user's, gone afterwards
  Click(kButton1Id);
  const std::string listing = ReadA(listing_box);
  ASSERT_EQ(listing.size(), 3 * text.size());
  EXPECT_EQ(listing.substr(0, 9), "21 22 23 ");
  EXPECT_EQ(listing.substr(listing.size() - 3), "7A ");  // byte 9000 is '!' + 89, 'z'
  DWORD start = 0, end = 0;
  SendMessageW(listing_box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, listing.size());
  EXPECT_EQ(end, listing.size());
  // The last line is the last visible one: the box shows the end of the listing.
  const LRESULT last_line = SendMessageW(listing_box, EM_GETLINECOUNT, 0, 0) - 1;
  const LRESULT first_visible = SendMessageW(listing_box, EM_GETFIRSTVISIBLELINE, 0, 0);
  EXPECT_GT(first_visible, 0);
  RECT format{};
  SendMessageW(listing_box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  const LRESULT caret = SendMessageW(listing_box, EM_POSFROMCHAR, listing.size() - 1, 0);
  EXPECT_LT(static_cast<short>(HIWORD(caret)), format.bottom) << "last line " << last_line;
  EXPECT_FALSE(SendMessageW(listing_box, EM_CANUNDO, 0, 0));
  Click(kButton2Id);
  EXPECT_EQ(ReadA(Control(kEditBox3Id)), text);
}

// A long result goes into 编辑框3 by pieces; the box must end as one SetWindowTextA leaves it.
TEST_F(WindowTest, LongReplacementEndsAsOneSetWindowTextWould) {
  std::string text;
  unsigned seed = 7;
  while (text.size() < 20000) {
    seed = seed * 1103515245u + 12345u;
    const int kind = (seed >> 16) % 8;
    if (kind == 0) {
      text += "\r\n";
    } else if (kind == 1) {
      text += static_cast<char>(0x81 + (seed >> 8) % 0x7E);  // a lead byte, any byte after it
      text += static_cast<char>(1 + (seed >> 20) % 255);
    } else {
      text += static_cast<char>(0x20 + (seed >> 12) % 0x5F);
    }
  }
  std::string listing;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    listing += {kDigits[byte >> 4], kDigits[byte & 15], ' '};
  }
  HWND text_box = Control(kEditBox3Id);
  HWND reference = Control(kEditBox1Id);  // the same kind of box, set in one call
  SetWindowTextA(Control(kEditBox2Id), listing.c_str());
  SetWindowTextA(reference, text.c_str());
  Click(kButton2Id);
  EXPECT_EQ(ReadA(text_box), ReadA(reference));
  DWORD start = 1, end = 1;
  SendMessageW(text_box, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 0u);
  EXPECT_EQ(SendMessageW(text_box, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_FALSE(SendMessageW(text_box, EM_GETMODIFY, 0, 0));
  EXPECT_FALSE(SendMessageW(text_box, EM_CANUNDO, 0, 0));
  EXPECT_EQ(SendMessageW(text_box, EM_GETLINECOUNT, 0, 0),
            SendMessageW(reference, EM_GETLINECOUNT, 0, 0));
}

TEST_F(WindowTest, EmptySourceEmptiesTheListingAndAnEmptyListingEmptiesTheText) {
  SetWindowTextA(Control(kEditBox2Id), "typed by the user");
  SetWindowTextA(Control(kEditBox3Id), "old");
  Click(kButton1Id);
  EXPECT_EQ(ReadA(Control(kEditBox2Id)), "");
  Click(kButton2Id);
  EXPECT_EQ(ReadA(Control(kEditBox3Id)), "");
}

TEST_F(WindowTest, HeldEventsRunNothing) {
  SetWindowTextA(Control(kEditBox1Id), "A");
  HoldEvents();
  Click(kButton1Id);
  EXPECT_EQ(ReadA(Control(kEditBox2Id)), "");
  ReleaseEvents();
  Click(kButton1Id);
  EXPECT_EQ(ReadA(Control(kEditBox2Id)), "41 ");
}

// A press on the background starts the move loop at the press's place on the screen; a press
// that reaches the window from a control's place does not exist, as the control takes it.
TEST_F(WindowTest, PressOnTheBackgroundStartsTheMoveLoopWhereItWasMade) {
  PumpMessages();
  const POINT client_points[] = {{200, 84}, {445, 30}, {1, 100}};
  for (const POINT at : client_points) {
    SendMessageW(window_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    MSG message{};
    ASSERT_TRUE(
        PeekMessageW(&message, window_.Handle(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(HTCAPTION));
    POINT screen = at;
    ClientToScreen(window_.Handle(), &screen);
    EXPECT_EQ(static_cast<short>(LOWORD(message.lParam)), screen.x);
    EXPECT_EQ(static_cast<short>(HIWORD(message.lParam)), screen.y);
  }
  for (const int id : {kEditBox1Id, kButton1Id, kStatusBar1Id}) {
    HWND control = Control(id);
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    MSG message{};
    EXPECT_FALSE(
        PeekMessageW(&message, window_.Handle(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE))
        << id;
  }
  PumpMessages();
}

int g_exit_code = 0;
int g_messages_shown = 0;
bool g_held_when_shown = false;

TEST_F(WindowTest, AllocationFailureInEitherConversionTakesTheFatalPath) {
  for (const int button : {kButton1Id, kButton2Id}) {
    SCOPED_TRACE(button);
    g_exit_code = 0;
    g_messages_shown = 0;
    const FatalErrorHooks hooks = {[] {
                                     ++g_messages_shown;
                                     g_held_when_shown = EventsHeld();
                                   },
                                   [](int code) { g_exit_code = code; }};
    SetFatalErrorHooks(&hooks);
    SetWindowTextA(Control(kEditBox1Id), std::string(200, 'x').c_str());
    SetWindowTextA(Control(kEditBox2Id), std::string(90, '7').c_str());
    SetWindowTextA(Control(kEditBox3Id), "before");
    SetAllocationFailurePredicate([](std::size_t bytes) { return bytes > 64; });
    Click(button);
    EXPECT_EQ(g_messages_shown, 1);
    EXPECT_TRUE(g_held_when_shown);
    EXPECT_EQ(g_exit_code, -1);
    EXPECT_TRUE(EventsHeld());
    // No handler runs afterwards.
    SetAllocationFailurePredicate(nullptr);
    SetWindowTextA(Control(kEditBox2Id), "41 ");
    Click(kButton2Id);
    EXPECT_EQ(ReadA(Control(kEditBox3Id)), "before");
    EXPECT_EQ(g_messages_shown, 1);
    ReleaseEvents();
  }
}

}  // namespace
}  // namespace vornelle
