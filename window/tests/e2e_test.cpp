// End to end: the real vornelle.exe and vornelle_fault.exe, each started as a process of its own
// and driven from this one as a user's tool would: the window found by class and caption, the
// controls by their identifiers, texts through WM_SETTEXT / WM_GETTEXT (which Wine and Windows
// carry across processes), clicks and keys through injected input or posted messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kEditBox1 = 100;
constexpr int kEditBox2 = 110;
constexpr int kEditBox3 = 120;
constexpr int kButton1 = 130;
constexpr int kButton2 = 140;
constexpr int kStatusBar = 150;

constexpr wchar_t kWindowClass[] = L"VornelleMainWindow";
constexpr wchar_t kCaption[] = L"Vornelle V1.0.2";

// Every wait is bounded: a program that does not answer fails the test instead of hanging it.
constexpr DWORD kWaitMs = 30000;

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Polls `done` until it holds or `ms` have passed; gives whether it held.
template <class Condition>
bool WaitFor(Condition done, DWORD ms = kWaitMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (done()) return true;
    if (Clock::now() >= end) return false;
    Sleep(10);
  }
}

std::wstring ExecutableBesideThisOne(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  return folder + name;
}

// ---- Texts of another process's windows --------------------------------------------------------

std::string GetTextA(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kWaitMs, &length)) {
    ADD_FAILURE() << "no answer to WM_GETTEXTLENGTH";
    return {};
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_NORMAL, kWaitMs, &copied)) {
    ADD_FAILURE() << "no answer to WM_GETTEXT";
    return {};
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

std::wstring GetTextW(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kWaitMs, &length)) {
    ADD_FAILURE() << "no answer to WM_GETTEXTLENGTH";
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_NORMAL, kWaitMs, &copied)) {
    ADD_FAILURE() << "no answer to WM_GETTEXT";
    return {};
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

void SetTextA(HWND window, const std::string& text) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                           SMTO_NORMAL, kWaitMs, &result) ||
      result == FALSE) {
    ADD_FAILURE() << "WM_SETTEXT of " << text.size() << " bytes was not taken";
  }
}

// Puts `text` at the end of the edit box in pieces of about 2 KiB, no character split, as
// pasting a long text in parts would. One WM_SETTEXT of a long single-paragraph text costs Wine's
// edit control far more than the same text in pieces (20,000 bytes of listing: 14 s at once).
void AppendTextInPiecesA(HWND edit, const std::string& text) {
  constexpr std::size_t kPiece = 2048;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = at;
    while (end < text.size() && end - at < kPiece) {
      end += IsDBCSLeadByte(static_cast<BYTE>(text[end])) && end + 1 < text.size() ? 2 : 1;
    }
    const std::string piece = text.substr(at, end - at);
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(edit, EM_SETSEL, INT_MAX, INT_MAX, SMTO_NORMAL, kWaitMs, &ignored) ||
        !SendMessageTimeoutA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece.c_str()),
                             SMTO_NORMAL, kWaitMs, &ignored)) {
      ADD_FAILURE() << "EM_REPLACESEL at " << at << " was not handled";
      return;
    }
    at = end;
  }
}

// Sends and waits for the message to be handled; gives the seconds it took.
double SendAndTime(HWND window, UINT message) {
  const auto start = Clock::now();
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, 0, 0, SMTO_NORMAL, kWaitMs, &result)) {
    ADD_FAILURE() << "message " << message << " not handled within the wait";
  }
  return SecondsSince(start);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

struct WindowSearch {
  DWORD process_id;
  const wchar_t* class_name;
  std::vector<HWND> found;
};

// Enumeration callbacks: nothing may unwind through the system, so they only record.
BOOL CALLBACK RecordTopLevelWindow(HWND window, LPARAM lparam) noexcept {
  auto* search = reinterpret_cast<WindowSearch*>(lparam);
  DWORD owner_process = 0;
  GetWindowThreadProcessId(window, &owner_process);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner_process == search->process_id && lstrcmpW(name, search->class_name) == 0 &&
      IsWindowVisible(window)) {
    try {
      search->found.push_back(window);
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}

BOOL CALLBACK RecordChild(HWND child, LPARAM lparam) noexcept {
  try {
    reinterpret_cast<std::vector<HWND>*>(lparam)->push_back(child);
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

std::vector<HWND> TopLevelWindowsOf(DWORD process_id, const wchar_t* class_name) {
  WindowSearch search{process_id, class_name, {}};
  EnumWindows(&RecordTopLevelWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, &RecordChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

// ---- Input as a user gives it -------------------------------------------------------------------

POINT CentreOf(HWND window) {
  RECT place{};
  GetWindowRect(window, &place);
  return {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
}

// A left click with the real mouse on the control's centre: the pointer moves there and both
// button events carry that place. False when the control is not the window under that point
// (covered or not shown) or the input was not taken.
bool MouseClick(HWND control) {
  const POINT at = CentreOf(control);
  if (WindowFromPoint(at) != control) return false;
  const LONG width = GetSystemMetrics(SM_CXSCREEN);
  const LONG height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input[3] = {};
  const DWORD kFlags[] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    input[i].type = INPUT_MOUSE;
    input[i].mi.dx = (at.x * 65535 + (width - 1) / 2) / (width - 1);
    input[i].mi.dy = (at.y * 65535 + (height - 1) / 2) / (height - 1);
    input[i].mi.dwFlags = kFlags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  return SendInput(3, input, sizeof(INPUT)) == 3;
}

bool TypeKeys(const std::string& keys) {
  std::vector<INPUT> input;
  for (char key : keys) {
    INPUT press = {};
    press.type = INPUT_KEYBOARD;
    press.ki.wVk = static_cast<WORD>(VkKeyScanW(static_cast<wchar_t>(key)) & 0xFF);
    INPUT release = press;
    release.ki.dwFlags = KEYEVENTF_KEYUP;
    input.push_back(press);
    input.push_back(release);
  }
  return SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}

HWND FocusOf(DWORD thread_id) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return GetGUIThreadInfo(thread_id, &info) ? info.hwndFocus : nullptr;
}

// ---- Texts of the ANSI code page, and their listings
// ---------------------------------------------

bool IsCodePage936() {
  return GetACP() == 936;
}

// One character beyond ASCII in this run's code page: 中 (D6 D0) in 936, é (E9) in 1252.
std::string NonAsciiCharacter() {
  return IsCodePage936() ? "\xD6\xD0" : "\xE9";
}

// A text of exactly `bytes` bytes, mostly ASCII with some characters beyond it, none split.
std::string LongText(std::size_t bytes) {
  const std::vector<std::string> pieces =
      IsCodePage936()
          ? std::vector<std::string>{"Vornelle ",    "\xD6\xD0\xCE\xC4",           " 0123456789 ",
                                     "\xD7\xD6",     "abcdefghijklmnopqrstuvwxyz", "\xBB\xBB",
                                     " ~!@#$%^&*() "}
          : std::vector<std::string>{
                "Vornelle ", "\xE9\xFC",     " 0123456789 ", "\xDF", "abcdefghijklmnopqrstuvwxyz",
                "\x80",      " ~!@#$%^&*() "};
  std::string text;
  text.reserve(bytes);
  for (std::size_t i = 0; text.size() < bytes; ++i) {
    const std::string& piece = pieces[i % pieces.size()];
    if (text.size() + piece.size() <= bytes) {
      text += piece;
    } else {
      text.append(bytes - text.size(), 'q');
    }
  }
  return text;
}

std::string ListingOf(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string listing;
  listing.reserve(bytes.size() * 3);
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    listing += kDigits[byte >> 4];
    listing += kDigits[byte & 0x0F];
    listing += ' ';
  }
  return listing;
}

// A short description of a long text for failure messages.
std::string Describe(const std::string& text) {
  std::string shown =
      text.size() <= 48 ? text : text.substr(0, 24) + "..." + text.substr(text.size() - 24);
  return std::to_string(text.size()) + " bytes \"" + shown + "\"";
}

// ---- The program as a process
// --------------------------------------------------------------------

class Program {
 public:
  explicit Program(const wchar_t* executable) {
    const std::wstring path = ExecutableBesideThisOne(executable);
    std::wstring command_line = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_at_ = Clock::now();
    if (!CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_)) {
      process_ = {};
    }
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  // Whatever went wrong, no process is left behind.
  ~Program() {
    if (process_.hProcess == nullptr) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 1);
      WaitForSingleObject(process_.hProcess, kWaitMs);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }

  bool Started() const { return process_.hProcess != nullptr; }
  DWORD Id() const { return process_.dwProcessId; }
  DWORD MainThreadId() const { return process_.dwThreadId; }

  // The program's main window once it is visible, found by class and caption; null when it did
  // not show within the wait. Also notes the seconds from the start to that moment.
  HWND FindMainWindow() {
    WaitForInputIdle(process_.hProcess, kWaitMs);
    HWND found = nullptr;
    WaitFor([&] {
      for (HWND w = FindWindowExW(nullptr, nullptr, kWindowClass, kCaption); w != nullptr;
           w = FindWindowExW(nullptr, w, kWindowClass, kCaption)) {
        DWORD owner_process = 0;
        GetWindowThreadProcessId(w, &owner_process);
        if (owner_process == process_.dwProcessId && IsWindowVisible(w)) {
          found = w;
          return true;
        }
      }
      return false;
    });
    seconds_to_window_ = SecondsSince(started_at_);
    return found;
  }
  double SecondsToWindow() const { return seconds_to_window_; }

  // True when the process ended within the wait; its exit code in `code`.
  bool WaitForExit(DWORD* code, DWORD ms = kWaitMs) {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(process_.hProcess, code) != 0;
  }
  bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION process_{};
  Clock::time_point started_at_;
  double seconds_to_window_ = 0;
};

// A started program with its window found; the test ends by closing it, which must give 0.
class ProgramTest : public ::testing::Test {
 protected:
  void Start(const wchar_t* executable) {
    program_ = std::make_unique<Program>(executable);
    ASSERT_TRUE(program_->Started()) << "cannot start the program: error " << GetLastError();
    window_ = program_->FindMainWindow();
    ASSERT_NE(window_, nullptr) << "no visible window of class VornelleMainWindow with its caption";
  }
  void SetUp() override { Start(L"vornelle.exe"); }
  void TearDown() override {
    if (program_ != nullptr && window_ != nullptr && program_->Running()) {
      PostMessageW(window_, WM_CLOSE, 0, 0);
      DWORD code = 0;
      ASSERT_TRUE(program_->WaitForExit(&code)) << "the program did not end after WM_CLOSE";
      EXPECT_EQ(code, 0u);
    }
    program_.reset();  // terminates it if it is still running
  }

  HWND Control(int id) { return GetDlgItem(window_, id); }

  // Clicks the button with the mouse and waits until the handler has replaced `target`'s text,
  // which is first set to a text that no conversion gives.
  void ClickAndWaitForChange(int button, int target) {
    static const std::string kUnset = "unset\x01";
    SetTextA(Control(target), kUnset);
    ASSERT_TRUE(MouseClick(Control(button))) << "the mouse click could not be given";
    ASSERT_TRUE(WaitFor([&] { return GetTextA(Control(target)) != kUnset; }))
        << "the click on button " << button << " changed nothing";
  }

  std::unique_ptr<Program> program_;
  HWND window_ = nullptr;
};

// ---- The window's own texts ------------------------------------------------------------------

TEST_F(ProgramTest, WindowIsCentredWithItsSizeAndOwnTextsReadFromAnotherProcess) {
  std::printf("ANSI code page %u\n", GetACP());
  RECT place{};
  ASSERT_TRUE(GetWindowRect(window_, &place));
  EXPECT_EQ(place.right - place.left, 450);
  EXPECT_EQ(place.bottom - place.top, 272);
  EXPECT_EQ(place.left, (GetSystemMetrics(SM_CXSCREEN) - 450) / 2);
  EXPECT_EQ(place.top, (GetSystemMetrics(SM_CYSCREEN) - 272) / 2);

  EXPECT_EQ(GetTextW(window_), L"Vornelle V1.0.2");
  EXPECT_EQ(GetTextA(window_), "Vornelle V1.0.2");

  const struct {
    int id;
    const wchar_t* class_name;
    const wchar_t* text;
  } kControls[] = {
      {kEditBox1, L"Edit", L""},
      {kEditBox2, L"Edit", L""},
      {kEditBox3, L"Edit", L""},
      {kButton1, L"Button", L"文本转换十六进制"},
      {kButton2, L"Button", L"Vornelle文本"},
      {kStatusBar, L"msctls_statusbar32", L"十六进制文本互换 "},  // the one pane's text
  };
  for (const auto& control : kControls) {
    SCOPED_TRACE(control.id);
    HWND handle = Control(control.id);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(lstrcmpiW(ClassOf(handle).c_str(), control.class_name), 0);
    EXPECT_TRUE(IsWindowVisible(handle));
    EXPECT_EQ(GetTextW(handle), control.text);
  }
  if (IsCodePage936()) {
    EXPECT_EQ(GetTextA(Control(kStatusBar)),
              "\xCA\xAE\xC1\xF9\xBD\xF8\xD6\xC6\xCE\xC4\xB1\xBE\xBB\xA5\xBB\xBB\x20");
  }
}

// ---- Conversions with the real mouse -----------------------------------------------------------

TEST_F(ProgramTest, MouseClicksTurnTextIntoItsListingAndTheListingBackIntoTheText) {
  const std::string beyond = NonAsciiCharacter();
  // One window for all rows, in order: each row's results replace the row before's.
  const std::string kTexts[] = {
      "AB" + beyond,       "Hex " + beyond + beyond + " 7", "", "two\r\nlines" + beyond,
      "~" + LongText(300),
  };
  for (const std::string& text : kTexts) {
    SCOPED_TRACE(Describe(text));
    SetTextA(Control(kEditBox1), text);
    ASSERT_EQ(GetTextA(Control(kEditBox1)), text) << "the edit box does not keep this text";
    ASSERT_NO_FATAL_FAILURE(ClickAndWaitForChange(kButton1, kEditBox2));
    EXPECT_EQ(GetTextA(Control(kEditBox2)), ListingOf(text));
    ASSERT_NO_FATAL_FAILURE(ClickAndWaitForChange(kButton2, kEditBox3));
    EXPECT_EQ(GetTextA(Control(kEditBox3)), text);
    EXPECT_EQ(GetTextA(Control(kEditBox1)), text) << "the source changed";
  }
}

TEST_F(ProgramTest, ListingTypedByHandIsTurnedIntoText) {
  const std::string beyond = NonAsciiCharacter();
  // Lower-case digits and a last group with no space after it, as a person may type them.
  std::string typed = "61 62 " + ListingOf(beyond);
  for (char& c : typed) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  typed += "7a";
  SetTextA(Control(kEditBox2), typed);
  ASSERT_NO_FATAL_FAILURE(ClickAndWaitForChange(kButton2, kEditBox3));
  EXPECT_EQ(GetTextA(Control(kEditBox3)), "ab" + beyond + "z");
  EXPECT_EQ(GetTextA(Control(kEditBox2)), typed) << "the listing changed";
}

// ---- Figures -------------------------------------------------------------------------------

TEST_F(ProgramTest, ReportsStartAndConversionTimes) {
  const std::string text = LongText(10000);
  SetTextA(Control(kEditBox1), text);
  const double to_hex = SendAndTime(Control(kButton1), BM_CLICK);
  ASSERT_EQ(GetTextA(Control(kEditBox2)), ListingOf(text));
  const double to_text = SendAndTime(Control(kButton2), BM_CLICK);
  ASSERT_EQ(GetTextA(Control(kEditBox3)), text);
  std::printf(
      "[figures] code page %u: start to visible window %.3f s; 10000-byte TextToHex %.3f s;"
      " its HexToText %.3f s\n",
      GetACP(), program_->SecondsToWindow(), to_hex, to_text);
}

// ---- Many queued events while a conversion runs -------------------------------------------------

TEST_F(ProgramTest, ClicksQueuedDuringAConversionLeaveExactlyOneListing) {
  // 200 clicks of a text whose conversion takes a noticeable while, and all of them together
  // well under a minute.
  constexpr int kClicks = 200;
  const std::string text = LongText(10000);
  const std::string listing = ListingOf(text);
  SetTextA(Control(kEditBox1), text);
  SendAndTime(Control(kButton1), BM_CLICK);
  // Timed with a listing in place, as each queued click but the first finds it.
  const double one = SendAndTime(Control(kButton1), BM_CLICK);
  ASSERT_EQ(GetTextA(Control(kEditBox2)), listing);
  const int clicks = kClicks;
  std::printf("[figures] one 10000-byte TextToHex %.3f s; %d queued clicks\n", one, clicks);

  SetTextA(Control(kEditBox2), "");
  SetTextA(Control(kEditBox3), "");
  HWND button = Control(kButton1);
  const auto start = Clock::now();
  for (int i = 0; i < clicks; ++i) ASSERT_TRUE(PostMessageW(button, BM_CLICK, 0, 0));
  // A character posted after the clicks shows when they have all been handled.
  ASSERT_TRUE(PostMessageW(Control(kEditBox3), WM_CHAR, L'.', 1));
  const DWORD drain_ms = static_cast<DWORD>(kWaitMs + 3000.0 * one * clicks);
  ASSERT_TRUE(WaitFor([&] { return GetTextA(Control(kEditBox3)) == "."; }, drain_ms))
      << "the queued clicks were not all handled";
  std::printf("[figures] %d queued clicks handled in %.3f s\n", clicks, SecondsSince(start));
  const std::string shown = GetTextA(Control(kEditBox2));
  EXPECT_EQ(shown.size(), 3 * text.size());
  EXPECT_TRUE(shown == listing) << "listing is " << Describe(shown);
}

TEST_F(ProgramTest, CloseQueuedDuringAConversionComesAfterItAndExitsWithZero) {
  const std::string text = LongText(30000);
  SetTextA(Control(kEditBox1), text);
  SetTextA(Control(kEditBox2), "");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  // The click, then a copy of the whole listing to the clipboard, then the close: the clipboard
  // outlives the program and shows what the listing was when the queue reached the copy.
  const auto start = Clock::now();
  ASSERT_TRUE(PostMessageW(Control(kButton1), BM_CLICK, 0, 0));
  ASSERT_TRUE(PostMessageW(Control(kEditBox2), EM_SETSEL, 0, -1));
  ASSERT_TRUE(PostMessageW(Control(kEditBox2), WM_COPY, 0, 0));
  ASSERT_TRUE(PostMessageW(window_, WM_CLOSE, 0, 0));
  DWORD code = 1;
  ASSERT_TRUE(program_->WaitForExit(&code)) << "the program did not end";
  std::printf("[figures] 30000-byte TextToHex then close: ended %.3f s after the click\n",
              SecondsSince(start));
  EXPECT_EQ(code, 0u);

  std::string copied;
  ASSERT_TRUE(WaitFor([&] { return OpenClipboard(nullptr) != 0; }, 5000));
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
      copied = bytes;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  EXPECT_TRUE(copied == ListingOf(text)) << "copied " << Describe(copied);
}

TEST_F(ProgramTest, KeysTypedDuringAConversionAreKeptInOrder) {
  const std::string text = LongText(40000);
  SetTextA(Control(kEditBox1), text);
  SetTextA(Control(kEditBox2), "");
  SetTextA(Control(kEditBox3), "");
  HWND box3 = Control(kEditBox3);
  // The user clicks into 编辑框3 first, so the keys go there.
  ASSERT_TRUE(MouseClick(box3));
  ASSERT_TRUE(WaitFor([&] { return FocusOf(program_->MainThreadId()) == box3; }))
      << "the click did not give 编辑框3 the focus";
  // The conversion is asked for without moving the focus, then the keys are pressed.
  ASSERT_TRUE(PostMessageW(window_, WM_COMMAND, MAKEWPARAM(kButton1, BN_CLICKED),
                           reinterpret_cast<LPARAM>(Control(kButton1))));
  Sleep(50);  // lets the conversion begin: not needed for the outcome
  ASSERT_TRUE(TypeKeys("xyz"));
  DWORD_PTR ignored = 0;
  const bool busy = !SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 1, &ignored);
  std::printf("[figures] keys typed while the conversion was still running: %s\n",
              busy ? "yes" : "no");
  ASSERT_TRUE(WaitFor([&] { return GetTextA(box3).size() >= 3; })) << "the keys did not arrive";
  EXPECT_EQ(GetTextA(box3), "xyz");
  const std::string shown = GetTextA(Control(kEditBox2));
  EXPECT_TRUE(shown == ListingOf(text)) << "listing is " << Describe(shown);
}

// ---- The fatal error -------------------------------------------------------------------------

// The 32 x 32 pixels of the screen at the top left of `window`, as 0x00RRGGBB values, or of the
// icon drawn the same size on the colour `background`.
std::vector<DWORD> Pixels(HWND window, HICON icon, DWORD background, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  std::vector<DWORD> pixels;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    if (icon == nullptr) {
      RECT place{};
      GetWindowRect(window, &place);
      BitBlt(memory, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
    } else {
      HBRUSH brush =
          CreateSolidBrush(RGB(background >> 16, (background >> 8) & 0xFF, background & 0xFF));
      RECT all{0, 0, width, height};
      FillRect(memory, &all, brush);
      DeleteObject(brush);
      DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    }
    GdiFlush();
    const auto* p = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) pixels.push_back(p[i] & 0x00FFFFFF);
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

struct FatalCase {
  const char* name;
  int filled_box;
  std::size_t text_bytes;  // of the text, or of the text whose listing fills the box
  int button;
};

class FatalErrorTest : public ProgramTest, public ::testing::WithParamInterface<FatalCase> {
 protected:
  void SetUp() override { Start(L"vornelle_fault.exe"); }
};

TEST_P(FatalErrorTest, ShowsAnOwnerlessErrorBoxHoldsEventsAndEndsWithMinusOneAfterOk) {
  const FatalCase& c = GetParam();
  const std::string text = LongText(c.text_bytes);
  const std::string content = c.filled_box == kEditBox1 ? text : ListingOf(text);
  SetTextA(Control(c.filled_box), "");
  AppendTextInPiecesA(Control(c.filled_box), content);
  ASSERT_EQ(GetTextA(Control(c.filled_box)), content);
  // Posted, so that this thread is free while the program shows its box.
  ASSERT_TRUE(PostMessageW(Control(c.button), BM_CLICK, 0, 0));

  std::vector<HWND> boxes;
  ASSERT_TRUE(WaitFor([&] {
    boxes = TopLevelWindowsOf(program_->Id(), L"#32770");
    return !boxes.empty();
  })) << "no message box appeared";
  ASSERT_EQ(boxes.size(), 1u);
  HWND box = boxes[0];
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_EQ(GetTextW(box), L"Vornelle");

  HWND icon = nullptr;
  std::vector<HWND> buttons;
  for (HWND child : ChildrenOf(box)) {
    if (!IsWindowVisible(child)) continue;
    const std::wstring class_name = ClassOf(child);
    const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
    if (lstrcmpiW(class_name.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
      icon = child;
    if (lstrcmpiW(class_name.c_str(), L"Button") == 0) buttons.push_back(child);
  }
  ASSERT_NE(icon, nullptr) << "the box shows no icon";
  // The icon shown is the system's error icon: its pixels on the screen are that icon's drawn
  // on the box's background.
  RECT icon_place{};
  GetClientRect(icon, &icon_place);
  const int width = icon_place.right;
  const int height = icon_place.bottom;
  ASSERT_GT(width, 0);
  ASSERT_GT(height, 0);
  std::vector<DWORD> shown;
  std::vector<DWORD> error_icon;
  const bool same = WaitFor(
      [&] {
        shown = Pixels(icon, nullptr, 0, width, height);
        if (shown.empty()) return false;
        error_icon = Pixels(nullptr, LoadIconW(nullptr, IDI_ERROR), shown[0], width, height);
        return shown == error_icon;
      },
      10000);
  if (!same) {
    const std::vector<DWORD> warning =
        Pixels(nullptr, LoadIconW(nullptr, IDI_WARNING), shown[0], width, height);
    const std::vector<DWORD> information =
        Pixels(nullptr, LoadIconW(nullptr, IDI_INFORMATION), shown[0], width, height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < shown.size() && i < error_icon.size(); ++i)
      differing += shown[i] != error_icon[i];
    ADD_FAILURE() << "the icon shown is not the error icon: " << differing << " of " << shown.size()
                  << " pixels differ; warning icon " << (shown == warning ? "matches" : "differs")
                  << ", information icon " << (shown == information ? "matches" : "differs");
  }

  ASSERT_EQ(buttons.size(), 1u) << "the box must offer OK alone";
  HWND ok = buttons[0];
  EXPECT_EQ(GetDlgCtrlID(ok), IDOK);
  std::wstring ok_text = GetTextW(ok);
  ok_text.erase(std::remove(ok_text.begin(), ok_text.end(), L'&'), ok_text.end());
  EXPECT_TRUE(ok_text == L"OK" || ok_text == L"确定");

  // While the box is open, the program's thread pumps its messages; clicks run nothing.
  const struct {
    int button, source;
    std::string source_text;
    int target;
  } kHeldClicks[] = {
      {kButton1, kEditBox1, "AB", kEditBox2},
      {kButton2, kEditBox2, "41 42 ", kEditBox3},
  };
  for (const auto& click : kHeldClicks) {
    SCOPED_TRACE(click.button);
    SetTextA(Control(click.source), click.source_text);
    SetTextA(Control(click.target), "unchanged");
    SendAndTime(Control(click.button), BM_CLICK);
    EXPECT_EQ(GetTextA(Control(click.target)), "unchanged");
  }
  EXPECT_EQ(TopLevelWindowsOf(program_->Id(), L"#32770").size(), 1u) << "a second box appeared";
  ASSERT_TRUE(program_->Running()) << "the program ended before OK was pressed";

  ASSERT_TRUE(PostMessageW(ok, BM_CLICK, 0, 0));
  DWORD code = 0;
  ASSERT_TRUE(program_->WaitForExit(&code)) << "the program did not end after OK";
  EXPECT_EQ(code, 0xFFFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(BothConversions, FatalErrorTest,
                         ::testing::Values(FatalCase{"TextToHex", kEditBox1, 40000, kButton1},
                                           FatalCase{"HexToText", kEditBox2, 66667, kButton2}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
