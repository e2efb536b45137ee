#include "memo_control.h"

#include <imm.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "memo_text.h"
#include "shell_services.h"

namespace morvel {

namespace {

// The text keeps off the frame by these, as the edit control's does.
constexpr int kMarginX = 2;
constexpr int kMarginY = 1;
constexpr int kTabColumns = 8;
constexpr int kWheelLines = 3;

enum MenuCommand : UINT { cutCommand = 1, copyCommand, pasteCommand, deleteCommand, selectAllCommand };

struct Memo {
  HWND window = nullptr;
  MemoText text;
  HFONT font = nullptr;
  int pitch = 0;
  int fontHeight = 1;
  int baseline = 0;   // from a line's top
  int tabWidth = 64;  // pixels
  int top = 0;        // the first line shown
  int scrollX = 0;    // pixels of the lines scrolled off to the left
  int wantedX = -1;   // the column Up and Down keep to, in pixels; -1: the caret's
  bool selecting = false;
  bool focused = false;
};

Memo* memoOf(HWND window) { return reinterpret_cast<Memo*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

RECT textArea(const Memo& memo) {
  RECT area{};
  GetClientRect(memo.window, &area);
  InflateRect(&area, -kMarginX, -kMarginY);
  area.right = std::max(area.left, area.right);
  area.bottom = std::max(area.top, area.bottom);
  return area;
}

int pitchOf(const Memo& memo) { return memo.pitch > 0 ? memo.pitch : memo.fontHeight; }

int rowsShown(const Memo& memo) {
  const RECT area = textArea(memo);
  return std::max(1, static_cast<int>(area.bottom - area.top) / pitchOf(memo));
}

// A device context of the window with the memo's font in it.
class FontDC {
 public:
  explicit FontDC(const Memo& memo) : window_(memo.window), dc_(GetDC(memo.window)) {
    before_ = SelectObject(dc_, memo.font != nullptr ? static_cast<HGDIOBJ>(memo.font) : GetStockObject(SYSTEM_FONT));
  }
  ~FontDC() {
    SelectObject(dc_, before_);
    ReleaseDC(window_, dc_);
  }
  FontDC(const FontDC&) = delete;
  FontDC& operator=(const FontDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
  HGDIOBJ before_;
};

int runWidth(HDC dc, std::wstring_view run) {
  if (run.empty()) return 0;
  SIZE size{};
  GetTextExtentPoint32W(dc, run.data(), static_cast<int>(run.size()), &size);
  return size.cx;
}

// The x of `column` from the line's start; a tab goes on to the next stop.
int xOf(HDC dc, std::wstring_view line, int column, int tabWidth) {
  int x = 0;
  std::size_t start = 0;
  const auto end = static_cast<std::size_t>(column);
  for (std::size_t k = 0; k <= end; ++k) {
    if (k < end && line[k] != L'\t') continue;
    x += runWidth(dc, line.substr(start, k - start));
    if (k == end) break;
    x = (x / tabWidth + 1) * tabWidth;
    start = k + 1;
  }
  return x;
}

// Each piece between tabs drawn at its place, `x` being the line's start.
void drawLine(HDC dc, std::wstring_view line, int x, int baseline, int tabWidth) {
  std::size_t start = 0;
  int at = 0;
  for (std::size_t k = 0; k <= line.size(); ++k) {
    if (k < line.size() && line[k] != L'\t') continue;
    const std::wstring_view run = line.substr(start, k - start);
    if (!run.empty()) ExtTextOutW(dc, x + at, baseline, 0, nullptr, run.data(), static_cast<UINT>(run.size()), nullptr);
    at += runWidth(dc, run);
    if (k < line.size()) at = (at / tabWidth + 1) * tabWidth;
    start = k + 1;
  }
}

// The place nearest `x` (from the line's start) on `line`.
int columnAt(HDC dc, const MemoText& text, int lineIndex, int x, int tabWidth) {
  const std::wstring& line = text.lines()[lineIndex];
  int low = 0;
  int high = static_cast<int>(line.size());
  while (low < high) {  // the last column whose x is at most `x`
    const int middle = (low + high + 1) / 2;
    if (xOf(dc, line, middle, tabWidth) <= x) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  const TextPlace after = text.characterAfter({lineIndex, low});
  if (after.line == lineIndex && after.column > low) {
    const int left = xOf(dc, line, low, tabWidth);
    const int right = xOf(dc, line, after.column, tabWidth);
    if (x - left > right - x) return after.column;
  }
  return low;
}

POINT pointOf(const Memo& memo, TextPlace place) {
  const RECT area = textArea(memo);
  FontDC dc(memo);
  const int x = xOf(dc.get(), memo.text.lines()[place.line], place.column, memo.tabWidth);
  return {area.left + x - memo.scrollX, area.top + (place.line - memo.top) * pitchOf(memo)};
}

TextPlace placeAtPoint(const Memo& memo, int x, int y) {
  const RECT area = textArea(memo);
  const int pitch = pitchOf(memo);
  const int lastLine = static_cast<int>(memo.text.lines().size()) - 1;
  const int row = y < area.top ? -1 : (y - area.top) / pitch;
  const int line = std::clamp(memo.top + row, 0, lastLine);
  FontDC dc(memo);
  return {line, columnAt(dc.get(), memo.text, line, x - area.left + memo.scrollX, memo.tabWidth)};
}

// The input method's window follows the caret, in the memo's font.
void placeComposition(const Memo& memo, POINT at) {
  HIMC context = ImmGetContext(memo.window);
  if (context == nullptr) return;
  COMPOSITIONFORM form{};
  form.dwStyle = CFS_POINT;
  form.ptCurrentPos = at;
  ImmSetCompositionWindow(context, &form);
  LOGFONTW font{};
  if (memo.font != nullptr && GetObjectW(memo.font, sizeof(font), &font) != 0) ImmSetCompositionFontW(context, &font);
  ImmReleaseContext(memo.window, context);
}

void placeCaret(const Memo& memo) {
  if (!memo.focused) return;
  const POINT at = pointOf(memo, memo.text.caret());
  SetCaretPos(at.x, at.y);
  placeComposition(memo, at);
}

// Scrolls so that the caret shows, then redraws.
void reveal(Memo& memo) {
  const TextPlace caret = memo.text.caret();
  const int rows = rowsShown(memo);
  if (caret.line < memo.top) memo.top = caret.line;
  if (caret.line >= memo.top + rows) memo.top = caret.line - rows + 1;
  const RECT area = textArea(memo);
  const int width = std::max(1, static_cast<int>(area.right - area.left));
  int x = 0;
  {
    FontDC dc(memo);
    x = xOf(dc.get(), memo.text.lines()[caret.line], caret.column, memo.tabWidth);
  }
  if (x < memo.scrollX) memo.scrollX = std::max(0, x - width / 4);
  if (x >= memo.scrollX + width) memo.scrollX = x - width * 3 / 4;
  InvalidateRect(memo.window, nullptr, FALSE);
  placeCaret(memo);
}

void measureFont(Memo& memo) {
  FontDC dc(memo);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  memo.fontHeight = std::max(1, static_cast<int>(metrics.tmHeight));
  memo.tabWidth = std::max(1, kTabColumns * static_cast<int>(metrics.tmAveCharWidth));
  // The glyphs' own height (the typographic ascent and descent) centred in
  // the line, which may be lower than the font's full height.
  int ascent = metrics.tmAscent;
  int height = metrics.tmHeight;
  OUTLINETEXTMETRICW outline{};
  outline.otmSize = sizeof(outline);
  if (GetOutlineTextMetricsW(dc.get(), sizeof(outline), &outline) != 0 && outline.otmAscent > 0) {
    ascent = outline.otmAscent;
    height = outline.otmAscent - outline.otmDescent;
  }
  memo.baseline = (pitchOf(memo) - height) / 2 + ascent;
}

void remakeCaret(const Memo& memo) {
  if (!memo.focused) return;
  DestroyCaret();
  DWORD width = 1;
  SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &width, 0);
  CreateCaret(memo.window, nullptr, static_cast<int>(std::max<DWORD>(1, width)), pitchOf(memo));
  placeCaret(memo);
  ShowCaret(memo.window);
}

void paint(const Memo& memo) {
  PAINTSTRUCT ps{};
  HDC target = BeginPaint(memo.window, &ps);
  RECT client{};
  GetClientRect(memo.window, &client);
  // Drawn aside and put up at once, so that typing does not flicker.
  HDC dc = CreateCompatibleDC(target);
  HBITMAP picture = CreateCompatibleBitmap(target, std::max(1L, client.right), std::max(1L, client.bottom));
  const HGDIOBJ pictureBefore = SelectObject(dc, picture);
  const HGDIOBJ fontBefore =
      SelectObject(dc, memo.font != nullptr ? static_cast<HGDIOBJ>(memo.font) : GetStockObject(SYSTEM_FONT));
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);

  const RECT area = textArea(memo);
  const int pitch = pitchOf(memo);
  const auto [from, to] = memo.text.selection();
  const auto& lines = memo.text.lines();
  const int last = std::min(static_cast<int>(lines.size()) - 1, memo.top + rowsShown(memo) + 1);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  for (int line = memo.top; line <= last; ++line) {
    const int y = area.top + (line - memo.top) * pitch;
    const int x = area.left - memo.scrollX;
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    drawLine(dc, lines[line], x, y + memo.baseline, memo.tabWidth);
    if (line < from.line || line > to.line || from == to) continue;
    // The selected part again, in the selection's colours; a selected line
    // end shows as a little room after the line.
    const int start = line == from.line ? from.column : 0;
    const int end = line == to.line ? to.column : static_cast<int>(lines[line].size());
    RECT chosen{x + xOf(dc, lines[line], start, memo.tabWidth), y, x + xOf(dc, lines[line], end, memo.tabWidth),
                y + pitch};
    if (line < to.line) chosen.right += std::max(2, runWidth(dc, L" "));
    FillRect(dc, &chosen, GetSysColorBrush(COLOR_HIGHLIGHT));
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, chosen.left, chosen.top, chosen.right, chosen.bottom);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    drawLine(dc, lines[line], x, y + memo.baseline, memo.tabWidth);
    RestoreDC(dc, saved);
  }
  BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  SelectObject(dc, fontBefore);
  SelectObject(dc, pictureBefore);
  DeleteObject(picture);
  DeleteDC(dc);
  EndPaint(memo.window, &ps);
}

void copySelection(const Memo& memo) {
  if (memo.text.hasSelection()) putOnClipboard(memo.window, memo.text.selectedText());
}

void edited(Memo& memo) {
  memo.wantedX = -1;
  reveal(memo);
}

void replaceWith(Memo& memo, std::wstring_view typed) {
  memo.text.replaceSelection(typed);
  edited(memo);
}

void paste(Memo& memo) {
  const std::wstring text = textOnClipboard(memo.window);
  if (!text.empty()) replaceWith(memo, text);
}

void cut(Memo& memo) {
  if (!memo.text.hasSelection()) return;
  copySelection(memo);
  replaceWith(memo, L"");
}

void moveCaret(Memo& memo, TextPlace place, bool extend, bool keepColumn = false) {
  memo.text.moveTo(place, extend);
  if (!keepColumn) memo.wantedX = -1;
  reveal(memo);
}

// Up and Down, by lines or by pages, keep to the column they started from.
void moveLines(Memo& memo, int lines, bool extend) {
  const TextPlace caret = memo.text.caret();
  FontDC dc(memo);
  if (memo.wantedX < 0) memo.wantedX = xOf(dc.get(), memo.text.lines()[caret.line], caret.column, memo.tabWidth);
  const int line = std::clamp(caret.line + lines, 0, static_cast<int>(memo.text.lines().size()) - 1);
  const int column = columnAt(dc.get(), memo.text, line, memo.wantedX, memo.tabWidth);
  moveCaret(memo, {line, column}, extend, true);
}

// Left and Right: by a character or, with Ctrl, a word; a selection left
// without Shift ends at its own side.
TextPlace sideways(const MemoText& text, bool forward, bool byWord, bool collapse) {
  const TextPlace caret = text.caret();
  if (byWord) return forward ? text.wordAfter(caret) : text.wordBefore(caret);
  if (collapse) return forward ? text.selection().second : text.selection().first;
  return forward ? text.characterAfter(caret) : text.characterBefore(caret);
}

void pressKey(Memo& memo, WPARAM key) {
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const TextPlace caret = memo.text.caret();
  const bool collapse = memo.text.hasSelection() && !shift;
  const int lastColumn = static_cast<int>(memo.text.lines()[caret.line].size());
  switch (key) {
    case VK_LEFT:
      return moveCaret(memo, sideways(memo.text, false, control, collapse), shift);
    case VK_RIGHT:
      return moveCaret(memo, sideways(memo.text, true, control, collapse), shift);
    case VK_UP:
      return moveLines(memo, -1, shift);
    case VK_DOWN:
      return moveLines(memo, 1, shift);
    case VK_PRIOR:
      return moveLines(memo, -rowsShown(memo), shift);
    case VK_NEXT:
      return moveLines(memo, rowsShown(memo), shift);
    case VK_HOME:
      return moveCaret(memo, control ? TextPlace{} : TextPlace{caret.line, 0}, shift);
    case VK_END:
      return moveCaret(memo, control ? memo.text.end() : TextPlace{caret.line, lastColumn}, shift);
    case VK_DELETE:
      if (shift) return cut(memo);
      memo.text.eraseForward();
      return edited(memo);
    case VK_INSERT:
      if (control) return copySelection(memo);
      if (shift) return paste(memo);
      return;
    default:
      break;
  }
  if (!control || GetKeyState(VK_MENU) < 0) return;
  switch (key) {
    case 'A':
      memo.text.selectAll();
      return reveal(memo);
    case 'C':
      return copySelection(memo);
    case 'X':
      return cut(memo);
    case 'V':
      return paste(memo);
    default:
      return;
  }
}

void typeCharacter(Memo& memo, wchar_t typed) {
  if (typed == L'\b') {
    memo.text.eraseBackward();
    return edited(memo);
  }
  if (typed == L'\r') return replaceWith(memo, L"\r\n");
  // Control characters come with Ctrl and the letter keys; they are not text.
  if (typed != L'\t' && (typed < 0x20 || typed == 0x7F)) return;
  replaceWith(memo, std::wstring_view(&typed, 1));
}

void showMenu(Memo& memo, LPARAM at) {
  POINT where{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (at == -1) {  // from the keyboard: at the caret
    where = pointOf(memo, memo.text.caret());
    where.y += pitchOf(memo);
    ClientToScreen(memo.window, &where);
  }
  const UINT chosen = memo.text.hasSelection() ? MF_ENABLED : MF_GRAYED;
  const UINT pasting = IsClipboardFormatAvailable(CF_UNICODETEXT) != 0 ? MF_ENABLED : MF_GRAYED;
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING | chosen, cutCommand, L"Cu&t\tCtrl+X");
  AppendMenuW(menu, MF_STRING | chosen, copyCommand, L"&Copy\tCtrl+C");
  AppendMenuW(menu, MF_STRING | pasting, pasteCommand, L"&Paste\tCtrl+V");
  AppendMenuW(menu, MF_STRING | chosen, deleteCommand, L"&Delete");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, selectAllCommand, L"Select &All\tCtrl+A");
  const UINT command = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, where.x, where.y, 0, memo.window, nullptr));
  DestroyMenu(menu);
  switch (command) {
    case cutCommand:
      return cut(memo);
    case copyCommand:
      return copySelection(memo);
    case pasteCommand:
      return paste(memo);
    case deleteCommand:
      return replaceWith(memo, L"");
    case selectAllCommand:
      memo.text.selectAll();
      return reveal(memo);
    default:
      return;
  }
}

// The offset an edit control's message names; -1 there means the caret's.
int offsetNamed(const Memo& memo, WPARAM offset) {
  const auto given = static_cast<int>(static_cast<LONG_PTR>(offset));
  return given < 0 ? memo.text.offsetOf(memo.text.caret()) : given;
}

LRESULT answerEditMessage(Memo& memo, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto& lines = memo.text.lines();
  switch (message) {
    case EM_GETRECT:
      *reinterpret_cast<RECT*>(lParam) = textArea(memo);
      return 0;
    case EM_SETSEL: {
      const auto start = static_cast<int>(static_cast<LONG_PTR>(wParam));
      const auto end = static_cast<int>(static_cast<LONG_PTR>(lParam));
      const int whole = memo.text.offsetOf(memo.text.end());
      if (start < 0) {
        memo.text.moveTo(memo.text.caret(), false);
      } else {
        memo.text.moveTo(memo.text.placeAt(std::min(start, whole)), false);
        memo.text.moveTo(memo.text.placeAt(end < 0 ? whole : std::min(end, whole)), true);
      }
      reveal(memo);
      return 0;
    }
    case EM_GETSEL: {
      const auto [from, to] = memo.text.selection();
      const auto start = static_cast<DWORD>(memo.text.offsetOf(from));
      const auto end = static_cast<DWORD>(memo.text.offsetOf(to));
      if (wParam != 0) *reinterpret_cast<DWORD*>(wParam) = start;
      if (lParam != 0) *reinterpret_cast<DWORD*>(lParam) = end;
      return start > 0xFFFF || end > 0xFFFF ? -1 : static_cast<LRESULT>(MAKELONG(start, end));
    }
    case EM_REPLACESEL:
      replaceWith(memo, reinterpret_cast<const wchar_t*>(lParam));
      return 0;
    case EM_GETFIRSTVISIBLELINE:
      return memo.top;
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(lines.size());
    case EM_LINEINDEX: {
      const auto line = static_cast<int>(static_cast<LONG_PTR>(wParam));
      if (line < 0) return memo.text.offsetOf({memo.text.caret().line, 0});
      return line < static_cast<int>(lines.size()) ? memo.text.offsetOf({line, 0}) : -1;
    }
    case EM_LINEFROMCHAR:
      return memo.text.placeAt(offsetNamed(memo, wParam)).line;
    case EM_LINELENGTH:
      return static_cast<LRESULT>(lines[memo.text.placeAt(offsetNamed(memo, wParam)).line].size());
    case EM_POSFROMCHAR: {
      const POINT at = pointOf(memo, memo.text.placeAt(static_cast<int>(wParam)));
      return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
    }
    case EM_CHARFROMPOS: {
      const TextPlace place = placeAtPoint(memo, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return static_cast<LRESULT>(MAKELONG(memo.text.offsetOf(place), place.line));
    }
    default:
      return DefWindowProcW(memo.window, message, wParam, lParam);
  }
}

LRESULT handle(Memo& memo, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint(memo);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      reveal(memo);
      return 0;
    case WM_SETTEXT:
      memo.text.setText(lParam != 0 ? reinterpret_cast<const wchar_t*>(lParam) : L"");
      memo.top = 0;
      memo.scrollX = 0;
      memo.wantedX = -1;
      reveal(memo);
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(memo.text.text().size());
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      const std::wstring text = memo.text.text();
      const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
      auto* into = reinterpret_cast<wchar_t*>(lParam);
      std::copy_n(text.begin(), copied, into);
      into[copied] = L'\0';
      return static_cast<LRESULT>(copied);
    }
    case WM_SETFONT:
      memo.font = reinterpret_cast<HFONT>(wParam);
      measureFont(memo);
      remakeCaret(memo);
      if (LOWORD(lParam) != 0) reveal(memo);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(memo.font);
    case WM_SETFOCUS:
      memo.focused = true;
      remakeCaret(memo);
      return 0;
    case WM_KILLFOCUS:
      memo.focused = false;
      DestroyCaret();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      pressKey(memo, wParam);
      return 0;
    case WM_CHAR:
      typeCharacter(memo, static_cast<wchar_t>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(memo.window);
      SetCapture(memo.window);
      memo.selecting = true;
      moveCaret(memo, placeAtPoint(memo, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), (wParam & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONDBLCLK:
      memo.text.selectWordAt(placeAtPoint(memo, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      reveal(memo);
      return 0;
    case WM_MOUSEMOVE:
      if (memo.selecting) moveCaret(memo, placeAtPoint(memo, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)), true);
      return 0;
    case WM_LBUTTONUP:
      if (memo.selecting) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      memo.selecting = false;
      return 0;
    case WM_MOUSEWHEEL: {
      const int steps = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
      memo.top = std::clamp(memo.top - steps * kWheelLines, 0, static_cast<int>(memo.text.lines().size()) - 1);
      InvalidateRect(memo.window, nullptr, FALSE);
      placeCaret(memo);
      return 0;
    }
    case WM_CONTEXTMENU:
      showMenu(memo, lParam);
      return 0;
    case WM_CUT:
      cut(memo);
      return 0;
    case WM_COPY:
      copySelection(memo);
      return 0;
    case WM_PASTE:
      paste(memo);
      return 0;
    case WM_CLEAR:
      replaceWith(memo, L"");
      return 0;
    default:
      return answerEditMessage(memo, message, wParam, lParam);
  }
}

LRESULT CALLBACK memoProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* memo = new Memo;
    memo->window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(memo));
  }
  Memo* memo = memoOf(window);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete memo;
    memo = nullptr;
  }
  if (memo == nullptr || message == WM_NCCREATE) return DefWindowProcW(window, message, wParam, lParam);
  return handle(*memo, message, wParam, lParam);
}

}  // namespace

void registerMemoClass(HINSTANCE instance) {
  WNDCLASSEXW memo{};
  memo.cbSize = sizeof(memo);
  memo.style = CS_DBLCLKS;
  memo.lpfnWndProc = memoProcedure;
  memo.hInstance = instance;
  memo.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32513));  // IDC_IBEAM
  memo.lpszClassName = kMemoClass;
  RegisterClassExW(&memo);
}

void setLinePitch(HWND memo, int pixels) {
  Memo* state = memoOf(memo);
  if (state == nullptr || state->pitch == pixels) return;
  state->pitch = pixels;
  measureFont(*state);
  remakeCaret(*state);
  reveal(*state);
}

}  // namespace morvel
