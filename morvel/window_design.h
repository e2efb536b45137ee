// Morvel's windows as designed, free of any toolkit: the menus, controls,
// timers, sizes and fonts each window layer builds its widgets from, so
// that Qt and Win32 show the same windows. Texts are Shift_JIS bytes, as the
// logic's texts are; an "&" in a caption marks its access key.
#pragma once

#include <span>
#include <string_view>

#include "morvelform.h"
#include "recordform.h"
#include "versionform.h"
#include "window_services.h"

#include "morvel_texts.h"

namespace morvel {

// The forms name "ＭＳ Ｐゴシック" and "メイリオ" (proportional) and "ＭＳ ゴシック"
// (fixed pitch, the display area's); a layer takes the Japanese fonts it has.
enum class Pitch { proportional, fixed };

struct FontDesign {
  int pixels = 12;
  Pitch pitch = Pitch::proportional;
};

inline constexpr FontDesign kFormFont{12, Pitch::proportional};

enum class Shortcut { none, f5 };

// A menu item runs `click`; a submenu (with `items`) runs it each time it
// opens. A menu of the bar has no handler of its own.
struct MenuItem {
  std::string_view name;
  std::string_view caption;
  void (TForm1::*click)() = nullptr;
  Shortcut shortcut = Shortcut::none;
  std::span<const MenuItem> items = {};
};

struct TimerDesign {
  TimerId id;
  std::string_view name;
  int intervalMs;
  void (TForm1::*tick)();
};

enum class ControlKind { edit, button, label, picture };

// A dialog's control at its place in the client area; the controls that
// take the focus do so in the order listed.
struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  Bounds bounds;
  FontDesign font;
  std::string_view text;  // as designed; the logic may replace it
};

template <class Form>
struct DialogDesign {
  std::string_view name;
  std::string_view caption;
  Size outer;
  FontDesign font;
  std::span<const ControlDesign> controls;
  void (Form::*buttonClick)();  // its one push button
};

struct MainWindowDesign {
  std::string_view name;
  std::string_view caption;
  std::string_view longCaption;  // with -f: the product label
  Size outer;
  FontDesign font;
  std::string_view memoName;
  FontDesign memoFont;
  std::string_view statusBarName;
  int statusPanel1Width;
  std::string_view statusPanel1Text;
  std::string_view buttonName;
  std::string_view buttonCaption;
  Size buttonSize;
  FontDesign buttonFont;
  void (TForm1::*buttonClick)();
  void (TForm1::*statusBarClick)();
  std::span<const MenuItem> menus;
  std::span<const TimerDesign> timers;
};

namespace design {

inline constexpr MenuItem kFileItems[] = {
    {"Leave1", "&Leave", &TForm1::Leave1Click},
    {"Exit1", "E&xit", &TForm1::Exit1Click},
};
inline constexpr MenuItem kEucJpItems[] = {
    {"Record1", "&Record", &TForm1::Record1Click},
};
inline constexpr MenuItem kEncodingItems[] = {
    {"ShiftJIS1", "&Shift_JIS", &TForm1::ShiftJIS1Click},
    {"UTF81", "&UTF-8", &TForm1::UTF81Click},
    {"EUCJP1", "EU&C-JP", &TForm1::EUCJP1Click, Shortcut::none, kEucJpItems},
};
inline constexpr MenuItem kHelpItems[] = {
    {"Large1", "L&arge", &TForm1::Large1Click},
    {"Standard1", "S&tandard", &TForm1::Standard1Click, Shortcut::f5},
    {"Version1", "&Version", &TForm1::Version1Click},
};
inline constexpr MenuItem kMenus[] = {
    {"File1", "&File", nullptr, Shortcut::none, kFileItems},
    {"Encoding1", "&Encoding", nullptr, Shortcut::none, kEncodingItems},
    {"Help1", "&Help", nullptr, Shortcut::none, kHelpItems},
};

// The fourth timer is the lock wait's, beside the three of the design.
inline constexpr TimerDesign kTimers[] = {
    {TimerId::poll, "Timer1", kPollInterval, &TForm1::Timer1Timer},
    {TimerId::reload, "Timer2", kReloadInterval, &TForm1::Timer2Timer},
    {TimerId::close, "Timer3", kCloseInterval, &TForm1::Timer3Timer},
    {TimerId::wait, "Timer4", kLockRetryInterval, &TForm1::Timer4Timer},
};

inline constexpr FontDesign kCaptionFont{16, Pitch::proportional};  // buttons and labels ("メイリオ")

inline constexpr ControlDesign kRecordControls[] = {
    {"Edit1", ControlKind::edit, {0, 0, 57, 43}, {35, Pitch::proportional}, "\x87\x53"},   // circled twenty
    {"Edit2", ControlKind::edit, {57, 0, 57, 43}, {35, Pitch::proportional}, "\x81\x51"},  // full-width low line
    {"Button1", ControlKind::button, {57, 43, 68, 34}, kCaptionFont, "Save"},
    {"Label1", ControlKind::label, {0, 77, 127, 24}, kCaptionFont, "8753"},
};

inline constexpr ControlDesign kVersionControls[] = {
    {"Image1", ControlKind::picture, {0, 0, 160, 32}, kFormFont, ""},
    {"Label1", ControlKind::label, {0, 32, 160, 20}, kCaptionFont, kProductLabel},
    {"Label2", ControlKind::label, {0, 52, 160, 20}, {13, Pitch::proportional}, ""},
    {"Button1", ControlKind::button, {0, 72, 68, 34}, kCaptionFont, "Help"},
    {"Label3", ControlKind::label, {0, 106, 160, 20}, kCaptionFont, kDesignedVersion},
};

}  // namespace design

inline constexpr MainWindowDesign kMainWindow{
    "Form1",
    "Morvel",
    kProductLabel,
    kStandardSize,
    kFormFont,
    "Memo1",
    {16, Pitch::fixed},
    "StatusBar1",
    50,
    " ",
    "Button1",
    "Large",
    kButtonSize,
    design::kCaptionFont,
    &TForm1::Button1Click,
    &TForm1::StatusBar1Click,
    design::kMenus,
    design::kTimers,
};

inline constexpr DialogDesign<TForm2> kRecordDialog{
    "Form2", "Record", kRecordDialogSize, kFormFont, design::kRecordControls, &TForm2::Button1Click,
};

inline constexpr DialogDesign<TForm3> kVersionDialog{
    "Form3", "Version", kVersionDialogSize, kFormFont, design::kVersionControls, &TForm3::Button1Click,
};

// The display area holds the rows shown, each ended by a line end, and so
// one empty line after them: all of these lines share its height.
int LinesInDisplay(int visibleRows);

// The height of each line of a display area `areaHeight` high: its share,
// at least 1, at most the display font's own line height `natural`.
int FittedLineHeight(int areaHeight, int visibleRows, int natural);

}  // namespace morvel
