// Morvel's Win32 windows over the real window logic, under Wine with a
// display (xvfb-run): the geometry the logic sets, the rows shown, the
// hand-off through "VEL", the dialogs. Keys are posted to the controls and
// go through the program's own message loop, as typed keys do.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialog_windows.h"
#include "display_text.h"
#include "key_preview.h"
#include "main_window.h"
#include "options.h"
#include "shell_services.h"
#include "support/temp_dir.h"
#include "wide_text.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

// Errors and messages kept for the test; the code pairs in "info.txt".
class Reports final : public Reporter {
 public:
  void error(std::string_view line) override { errors.emplace_back(line); }
  void message(std::string_view subject, std::string_view note) override {
    messages.push_back(std::string(subject) + " " + std::string(note));
  }
  // As Morvel's report files: "info.txt".
  void info(std::string_view line) override { files.info(line); }
  void note(std::string_view sentence) override { messages.emplace_back(sentence); }
  ReportFiles files;
  std::vector<std::string> errors;
  std::vector<std::string> messages;
};

constexpr const char* kTables[] = {"MS932~EUC-JP.bin", "MS932~UTF-8.bin", "MS932~Shift_JIS.bin"};

// Read while the tests still stand in the build folder.
std::map<std::string, std::string>& shippedTables() {
  static std::map<std::string, std::string> tables = [] {
    std::map<std::string, std::string> read;
    for (const char* name : kTables) read[name] = readBytes(std::string(MORVEL_DATA_DIR) + "/" + name);
    return read;
  }();
  return tables;
}

// What a window shows, read back from its surface.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first
  bool dark(int x, int y) const {
    const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
    return ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) < 3 * 128;
  }
};

Picture pictureOf(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  Picture shot{client.right, client.bottom, {}};
  shot.pixels.resize(static_cast<std::size_t>(shot.width) * shot.height);
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC source = GetDC(window);
  HDC copy = CreateCompatibleDC(source);
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(copy, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ before = SelectObject(copy, picture);
  BitBlt(copy, 0, 0, shot.width, shot.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  std::memcpy(shot.pixels.data(), bits, shot.pixels.size() * sizeof(std::uint32_t));
  SelectObject(copy, before);
  DeleteObject(picture);
  DeleteDC(copy);
  ReleaseDC(window, source);
  return shot;
}

RECT rectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

class Win32Window : public testing::Test {
 protected:
  static void SetUpTestSuite() { shippedTables(); }

  void SetUp() override {
    for (const auto& [name, bytes] : shippedTables()) writeBytes(name, bytes);
  }

  void TearDown() override {
    Form3.reset();
    Form2.reset();
    Form1.reset();
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
    }
    closed_ = false;
  }

  void open(const std::vector<std::string>& words = {}) {
    settings_ = readOptions(words).effect;
    display_ = std::make_unique<DisplayText>();
    Form1 = std::make_unique<MainWindow>(GetModuleHandleW(nullptr), settings_, reports_, *display_);
    Form2 = std::make_unique<RecordDialog>(Form1->handle(), settings_, reports_, *display_);
    Form3 = std::make_unique<VersionDialog>(Form1->handle(), profileFor(settings_), *display_);
    Form1->setDialogs(Form2.get(), Form3.get());
    Form1->show();
    pump(50);
  }

  // The program's loop for `ms` milliseconds, or until the main window
  // closed (true then).
  bool pump(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG message{};
    while (!closed_ && std::chrono::steady_clock::now() < end) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != 0) {
        if (message.message == WM_QUIT) {
          closed_ = true;
          break;
        }
        dispatchMessage(message);
      }
      if (!closed_) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return closed_;
  }

  // A key typed into `control`: pressed, then released.
  void type(HWND control, WPARAM key) {
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), 0);
    PostMessageW(control, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
    PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
    pump(60);
  }

  // The same with Ctrl or Shift held, as the thread's key state says.
  void typeHolding(HWND control, BYTE held, WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[held] = 0x80;
    SetKeyboardState(keys);
    type(control, key);
    keys[held] = 0;
    SetKeyboardState(keys);
  }

  void typeCharacter(HWND control, wchar_t typed) {
    PostMessageW(control, WM_CHAR, typed, 1);
    pump(30);
  }

  // A menu item, as the menu sends it.
  void choose(void (TForm1::*click)()) {
    const WORD item = Form1->commandOf(click);
    ASSERT_NE(item, 0);
    PostMessageW(Form1->handle(), WM_COMMAND, item, 0);
    pump(60);
  }

  std::wstring statusText() const {
    wchar_t status[512] = {};
    SendMessageW(FindWindowExW(Form1->handle(), nullptr, STATUSCLASSNAMEW, nullptr), SB_GETTEXTW, 0,
                 reinterpret_cast<LPARAM>(status));
    return status;
  }

  Bounds standardAtCorner() const {
    const Size screen = screenSizeOf(Form1->handle());
    return {screen.width - 677, screen.height - 534, 677, 491};
  }

  static void expectBounds(HWND window, const Bounds& expected) {
    const RECT r = rectOf(window);
    EXPECT_EQ(r.left, expected.left);
    EXPECT_EQ(r.top, expected.top);
    EXPECT_EQ(r.right - r.left, expected.width);
    EXPECT_EQ(r.bottom - r.top, expected.height);
  }

  TempDir dir_;
  Reports reports_;
  FinalEffect settings_;
  std::unique_ptr<DisplayText> display_;
  std::unique_ptr<MainWindow> Form1;
  std::unique_ptr<RecordDialog> Form2;
  std::unique_ptr<VersionDialog> Form3;
  bool closed_ = false;
};

TEST_F(Win32Window, StandsAtItsCornerThenLargeThenBackWithF5) {
  open();
  EXPECT_EQ(windowText(Form1->handle()), L"Morvel");
  expectBounds(Form1->handle(), standardAtCorner());
  EXPECT_EQ(Form1->logic().visibleColumns(), 80);
  EXPECT_EQ(Form1->logic().visibleRows(), 26);
  // The button sits in the client area's bottom-right corner, above the status bar.
  RECT client{};
  GetClientRect(Form1->handle(), &client);
  RECT button = rectOf(GetDlgItem(Form1->handle(), kButtonCommand));
  MapWindowPoints(nullptr, Form1->handle(), reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(button.right, client.right);
  EXPECT_EQ(button.bottom, client.bottom - Form1->statusBarHeight());
  EXPECT_EQ(button.right - button.left, 68);
  EXPECT_EQ(button.bottom - button.top, 34);

  choose(&TForm1::Large1Click);
  const Size screen = screenSizeOf(Form1->handle());
  expectBounds(Form1->handle(), {0, 0, screen.width, screen.height - 43});
  type(Form1->memo(), VK_F5);
  expectBounds(Form1->handle(), standardAtCorner());
  EXPECT_EQ(Form1->logic().visibleRows(), 26);
  EXPECT_EQ(readBytes("VEL"), " ");
}

TEST_F(Win32Window, ShowsTheRowsTheLogicCountsWithoutScrolling) {
  open();
  std::string text = "\x82\xA0\r\n";  // hiragana a
  for (int k = 1; k < 40; ++k) text += std::string(100, static_cast<char>('a' + k % 26)) + "\r\n";
  writeBytes("VEL", text);
  pump(900);
  const std::wstring shown = windowText(Form1->memo());
  std::wstring expected = L"\u3042\r\n";
  for (int k = 1; k < 26; ++k) expected += std::wstring(79, static_cast<wchar_t>(L'a' + k % 26)) + L"+\r\n";
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(Form1->logic().collectedLines().size(), 40u);
  // Every shown row lies inside the display area, the first at the top.
  RECT area{};
  SendMessageW(Form1->memo(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  EXPECT_EQ(SendMessageW(Form1->memo(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  const auto lastRow = SendMessageW(Form1->memo(), EM_LINEINDEX, 25, 0);
  const auto at = SendMessageW(Form1->memo(), EM_POSFROMCHAR, static_cast<WPARAM>(lastRow), 0);
  EXPECT_LE(static_cast<short>(HIWORD(at)) + Form1->rowHeight(), area.bottom);
  EXPECT_GE(Form1->rowHeight(), 8);
}

// Drawn as shown on the screen: every row of the display area at its pitch,
// its glyphs as tall as the design's font allows there (black squares,
// so that their ink is their height).
TEST_F(Win32Window, DisplayAreaRowsShowTheDesignsFontAtTheirPitch) {
  open();
  std::string text;
  for (int k = 0; k < 26; ++k) text += "\x81\xA1\x81\xA1\r\n";  // black squares
  writeBytes("VEL", text);
  pump(900);
  HWND memo = Form1->memo();
  UpdateWindow(memo);
  const Picture shot = pictureOf(memo);
  // Down the middle of each row's first square.
  const auto first = SendMessageW(memo, EM_POSFROMCHAR, 0, 0);
  const auto second = SendMessageW(memo, EM_POSFROMCHAR, 1, 0);
  const int x = (static_cast<short>(LOWORD(first)) + static_cast<short>(LOWORD(second))) / 2;
  std::vector<std::pair<int, int>> inked;  // top and height of each run of ink
  for (int y = 0; y < shot.height; ++y) {
    if (!shot.dark(x, y)) continue;
    if (inked.empty() || inked.back().first + inked.back().second < y) inked.push_back({y, 0});
    ++inked.back().second;
  }
  const int pitch = Form1->rowHeight();
  EXPECT_GE(pitch, 15);  // the design's 16 px, less what the window's share takes
  ASSERT_EQ(inked.size(), 26u);
  for (std::size_t k = 0; k < inked.size(); ++k) {
    EXPECT_GE(inked[k].second, pitch * 3 / 4) << "row " << k;
    EXPECT_LT(inked[k].second, pitch) << "row " << k;
    if (k > 0) {
      EXPECT_EQ(inked[k].first - inked[k - 1].first, pitch) << "row " << k;
    }
  }
}

// Typed text shows and is not read back: the next reload replaces it, and
// the collected lines hold only what "VEL" held.
TEST_F(Win32Window, TypingIntoTheDisplayAreaChangesOnlyTheDisplay) {
  open();
  writeBytes("VEL", "abc\r\n");
  pump(900);
  SetFocus(Form1->memo());
  SendMessageW(Form1->memo(), EM_SETSEL, 0, 0);
  type(Form1->memo(), 'X');
  EXPECT_EQ(windowText(Form1->memo()), L"xabc\r\n");
  // Typing replaces the selection; Enter breaks the line, Backspace joins it.
  SendMessageW(Form1->memo(), EM_SETSEL, 2, 4);
  type(Form1->memo(), 'Z');
  type(Form1->memo(), VK_RETURN);
  EXPECT_EQ(windowText(Form1->memo()), L"xaz\r\n\r\n");
  type(Form1->memo(), VK_BACK);
  typeHolding(Form1->memo(), VK_SHIFT, VK_LEFT);
  typeHolding(Form1->memo(), VK_SHIFT, VK_LEFT);
  typeHolding(Form1->memo(), VK_CONTROL, 'X');
  EXPECT_EQ(windowText(Form1->memo()), L"x\r\n");
  // A character beyond the first plane is one: Backspace takes both halves.
  typeCharacter(Form1->memo(), 0xD83D);
  typeCharacter(Form1->memo(), 0xDE00);
  typeHolding(Form1->memo(), VK_CONTROL, 'V');
  EXPECT_EQ(windowText(Form1->memo()), L"x\U0001F600az\r\n");
  type(Form1->memo(), VK_LEFT);
  type(Form1->memo(), VK_LEFT);
  type(Form1->memo(), VK_BACK);
  EXPECT_EQ(windowText(Form1->memo()), L"xaz\r\n");
  typeHolding(Form1->memo(), VK_CONTROL, 'A');
  typeHolding(Form1->memo(), VK_CONTROL, 'C');
  EXPECT_EQ(textOnClipboard(Form1->handle()), L"xaz\r\n");
  writeBytes("VEL", "def\r\n");
  pump(900);
  EXPECT_EQ(windowText(Form1->memo()), L"def\r\n");
  EXPECT_EQ(Form1->logic().collectedLines(), (std::vector<std::string>{"abc", "def"}));
}

TEST_F(Win32Window, HandsOverThroughVel) {
  // End, then File > Leave: EUC-JP, here with LF line ends; the status bar
  // names the choice.
  open({"-LF"});
  writeBytes("VEL", "\x82\xA0\r\nabc\r\n");  // hiragana a
  pump(900);
  type(Form1->memo(), VK_END);
  wchar_t status[64] = {};
  SendMessageW(FindWindowExW(Form1->handle(), nullptr, STATUSCLASSNAMEW, nullptr), SB_GETTEXTW, 0,
               reinterpret_cast<LPARAM>(status));
  EXPECT_STREQ(status, L"EUC-JP");
  choose(&TForm1::Leave1Click);
  EXPECT_TRUE(pump(500));
  EXPECT_EQ(readBytes("VEL"), "\xA4\xA2\nabc\n");
  TearDown();

  // The default: UTF-8 with CR LF.
  open();
  writeBytes("VEL", "\x82\xA0\r\n");
  pump(900);
  choose(&TForm1::Leave1Click);
  EXPECT_TRUE(pump(500));
  EXPECT_EQ(readBytes("VEL"), "\xE3\x81\x82\r\n");
  TearDown();

  // Home writes UTF-8 and the window stays; F3 closes it and deletes "VEL".
  open();
  writeBytes("VEL", "\x82\xA0\r\n");
  pump(900);
  type(Form1->memo(), VK_HOME);
  EXPECT_EQ(readBytes("VEL"), "\xE3\x81\x82\r\n");
  EXPECT_TRUE(IsWindowVisible(Form1->handle()));
  type(Form1->memo(), VK_F3);
  EXPECT_TRUE(pump(300));
  EXPECT_FALSE(std::filesystem::exists("VEL"));
  EXPECT_TRUE(reports_.errors.empty()) << reports_.errors.front();
}

TEST_F(Win32Window, RecordDialogSavesCopiesAndHidesWithEsc) {
  open();
  choose(&TForm1::Record1Click);
  HWND dialog = Form2->handle();
  ASSERT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(GetFocus(), Form2->control("Button1"));
  expectBounds(dialog, {(screenSizeOf(dialog).width - 143) / 2, (screenSizeOf(dialog).height - 142) / 2, 143, 142});
  EXPECT_EQ(windowText(Form2->control("Edit1")), L"\u2473");  // circled twenty
  EXPECT_EQ(windowText(Form2->control("Label1")), L"8753");
  // The edits' lines fit them: no glyph loses its lower part.
  for (const char* edit : {"Edit1", "Edit2"}) {
    RECT box{};
    GetClientRect(Form2->control(edit), &box);
    HDC dc = GetDC(Form2->control(edit));
    const HGDIOBJ before =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(Form2->control(edit), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, before);
    ReleaseDC(Form2->control(edit), dc);
    EXPECT_LE(metrics.tmHeight, box.bottom) << edit;
    EXPECT_GE(metrics.tmHeight, box.bottom - 3) << edit;  // as large as it fits
  }
  // Typed text goes back to code page 932; Enter on the focused button saves.
  SetWindowTextW(Form2->control("Edit2"), L"\uFF3F");  // full-width low line
  SetFocus(Form2->control("Button1"));
  type(Form2->control("Button1"), VK_RETURN);
  EXPECT_EQ(readBytes("info.txt"), "8753 \x81\xCB 8151\r\n");  // the arrow between
  EXPECT_EQ(windowText(Form2->control("Label1")), L"8753 \u21D2 8151");
  // F8 in an edit: the label's text on the clipboard.
  type(Form2->control("Edit1"), VK_F8);
  ASSERT_TRUE(OpenClipboard(Form1->handle()));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(data, nullptr);
  EXPECT_STREQ(static_cast<const wchar_t*>(GlobalLock(data)), L"8753 \u21D2 8151");
  GlobalUnlock(data);
  CloseClipboard();
  // A typed character takes the code Windows gives it, not the first of its
  // codes in the table (0xEEE0, 0xEEEF).
  SetWindowTextW(Form2->control("Edit1"), L"\u9AD9");
  SetWindowTextW(Form2->control("Edit2"), L"\u2170");  // small roman one
  type(Form2->control("Button1"), VK_RETURN);
  EXPECT_EQ(readBytes("info.txt"), "FBFC \x81\xCB FA40\r\n");
  type(Form2->control("Edit1"), VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(dialog));
  EXPECT_TRUE(IsWindow(dialog));
}

// Saved under another name, the edit stands behind the table of the current
// folder: a note beside the dialog says so, in its own window, as tall as
// its text needs.
TEST_F(Win32Window, RecordSaveShowsTheNoteOfAnEditNotRead) {
  const std::string name = "an-edited-table-whose-name-is-long-enough-to-take-more-lines-than-a-short-note.bin";
  open({name});
  choose(&TForm1::Record1Click);
  SetWindowTextW(Form2->control("Edit2"), L"\uFF3F");  // full-width low line
  SetFocus(Form2->control("Button1"));
  type(Form2->control("Button1"), VK_RETURN);
  HWND note = FindWindowW(L"MorvelNote", nullptr);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(GetWindow(note, GW_OWNER), Form2->handle());
  EXPECT_TRUE(IsWindowVisible(note));
  HWND text = GetWindow(note, GW_CHILD);
  const std::wstring wide(name.begin(), name.end());
  const std::wstring sentence = wide +
                                L" was edited, but conversions from this folder load MS932~EUC-JP.bin, which is "
                                L"searched first, so the edit is not used and the next edit starts again from "
                                L"that table. To use it, copy " +
                                wide + L" over MS932~EUC-JP.bin.";
  EXPECT_EQ(windowText(text), sentence);
  HDC dc = GetDC(text);
  const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(text, WM_GETFONT, 0, 0)));
  RECT box{}, needed{};
  GetClientRect(text, &box);
  needed.right = box.right;
  DrawTextW(dc, sentence.c_str(), static_cast<int>(sentence.size()), &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  SelectObject(dc, before);
  ReleaseDC(text, dc);
  EXPECT_LE(needed.bottom, box.bottom);  // every line shows
  EXPECT_GT(rectOf(note).bottom - rectOf(note).top, 150);
  EXPECT_EQ(windowText(Form2->control("Label1")), L"8753 \u21D2 8151");  // the code pair stays
  DestroyWindow(note);
}

struct ModalSeen {
  HWND dialog = nullptr;
  HWND owner = nullptr;
  HWND other = nullptr;
  bool visible = false;
  bool ownerEnabled = true;
  bool otherEnabled = true;
  std::wstring version;
};
ModalSeen* seen = nullptr;

void CALLBACK lookAtModal(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  seen->visible = IsWindowVisible(seen->dialog) != 0;
  seen->ownerEnabled = IsWindowEnabled(seen->owner) != 0;
  seen->otherEnabled = IsWindowEnabled(seen->other) != 0;
  // Label3
  for (HWND child = GetWindow(seen->dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring text = windowText(child);
    if (text.rfind(L"Version ", 0) == 0) seen->version = text;
  }
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
}

// Modal for every window of the program: the Record dialog, open beside
// the main window, waits as well.
TEST_F(Win32Window, VersionDialogIsModalAndClosesWithEsc) {
  open();
  EXPECT_EQ(windowText(Form3->control("Label3")), L"Version 1.0");
  choose(&TForm1::Record1Click);
  ModalSeen look;
  look.dialog = Form3->handle();
  look.owner = Form1->handle();
  look.other = Form2->handle();
  seen = &look;
  SetTimer(nullptr, 0, 200, lookAtModal);
  choose(&TForm1::Version1Click);  // returns once the dialog is closed
  pump(100);
  EXPECT_TRUE(look.visible);
  EXPECT_FALSE(look.ownerEnabled);
  EXPECT_FALSE(look.otherEnabled);
  EXPECT_EQ(look.version, L"Version 1.08");
  EXPECT_FALSE(IsWindowVisible(Form3->handle()));
  EXPECT_TRUE(IsWindowEnabled(Form1->handle()));
  EXPECT_TRUE(IsWindowEnabled(Form2->handle()));
  EXPECT_EQ(windowText(Form3->control("Label1")), L"Morvel VCL");
  const Size screen = screenSizeOf(Form3->handle());
  expectBounds(Form3->handle(), {(screen.width - 166) / 2, (screen.height - 166) / 2, 166, 166});
  seen = nullptr;
}

// The shell took the manual: the status bar says so, naming it (Wine's
// viewer may then fail without a word). A manual missing gets the note.
TEST_F(Win32Window, HelpSaysTheManualWasHandedOn) {
  open();
  writeBytes("MorvelVCL.pdf", "%PDF-1.4\n");
  Form1->openDocument("MorvelVCL.pdf");
  pump(100);
  EXPECT_EQ(statusText(), L"The manual was handed to the system's PDF viewer: MorvelVCL.pdf");
  EXPECT_EQ(FindWindowW(L"MorvelNote", nullptr), nullptr);
  Form1->setStatusText("EUC-JP");
  Form1->openDocument("missing.pdf");
  pump(100);
  EXPECT_EQ(statusText(), L"EUC-JP");
  HWND note = FindWindowW(L"MorvelNote", nullptr);
  ASSERT_NE(note, nullptr);
  DestroyWindow(note);
}

}  // namespace
