#include "morvelform.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "codes.h"
#include "dividing.h"
#include "regulate.h"
#include "report_files.h"
#include "startup.h"
#include "text_file.h"
#include "version.h"
#include "working_files.h"

namespace morvel {

namespace {

constexpr std::int32_t kParkedCount = 2147483646;  // after a successful reload: later ticks do nothing
constexpr std::size_t kDirectoryLimit = 260;       // status panel 0 shows this much of the folder
constexpr const char* kCutMarker = "+";
constexpr const char* kDisplayLineEnd = "\r\n";

std::string currentDirectory() {
  std::string path(4096, '\0');
  if (::getcwd(path.data(), path.size()) == nullptr) return {};
  path.resize(path.find('\0'));
  return path.substr(0, kDirectoryLimit);
}

// "%10d|" before the line.
std::string numbered(std::uint32_t number, std::string_view line) {
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%10d|", static_cast<std::int32_t>(number));
  std::string text(prefix);
  text.append(line);
  return text;
}

}  // namespace

std::string helpDocumentPath(const ProgramProfile& profile) {
  if (canOpenForReading(kHelpFile)) return kHelpFile;
  const std::string installed = profile.fixedFolder + kHelpFile;
  return canOpenForReading(installed) ? installed : kHelpFile;
}

int ColumnsForWidth(int width) { return static_cast<int>(std::floor((width - 38) * 80.0 / 639.0)); }

int RowsForHeight(int height) { return static_cast<int>(std::floor((height - 130) * 26.0 / 361.0)); }

std::string FitLine(std::string_view line, int limit) {
  line = line.substr(0, kFitBufferSize - 1);
  std::string shown;
  int columns = 0;
  bool pending = false;
  char lead = 0;
  for (const char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (pending) {
      shown += lead;
      shown += c;
      columns += 2;
      pending = false;
    } else if (isLeadByte(b)) {
      lead = c;
      pending = true;
      continue;
    } else {
      shown += c;
      columns += 1;
    }
    if (columns >= limit) {
      shown += kCutMarker;
      break;
    }
  }
  return shown;
}

TForm1::TForm1(WindowServices& services, const FinalEffect& settings, Reporter& reporter)
    : services_(services), settings_(settings), profile_(profileFor(settings)), reporter_(reporter) {}

void TForm1::FormCreate() {
  services_.setKeyPreview(true);
  LeaveRequested = false;
  services_.setStatusPath(currentDirectory());
  const Size screen = services_.screenSize();
  services_.setWindowBounds(
      {screen.width - kCornerRight, screen.height - kCornerBottom, kStandardSize.width, kStandardSize.height});
  VisibleRows = RowsForHeight(kStandardSize.height);
  VisibleColumns = ColumnsForWidth(kStandardSize.width);
  AnchorButton();
  Corner = settings_.corner;
  LongTitle = settings_.longTitle;
  Encoding = settings_.encoding;
  OpenPdfAtStart = settings_.pdfHelp;
  PlaceWindow();
  services_.setCaption(LongTitle ? "Morvel VCL" : "Morvel");
  writeWatchedFile(kWatchedFile, " ");
  if (OpenPdfAtStart) {
    OpenHelpPdf();
    services_.setTimer(TimerId::close, kCloseInterval, true);
  } else {
    services_.setTimer(TimerId::close, kCloseInterval, false);
  }
  WatchedAge = fileAge(kWatchedFile);
  services_.setTimer(TimerId::poll, kPollInterval, true);
  services_.setTimer(TimerId::reload, kReloadInterval, false);
}

void TForm1::AnchorButton() {
  const Size client = services_.clientSize();
  services_.setButtonBounds({client.width - kButtonSize.width,
                             client.height - kButtonSize.height - services_.statusBarHeight(), kButtonSize.width,
                             kButtonSize.height});
}

void TForm1::PlaceWindow() {
  const Size screen = services_.screenSize();
  Bounds bounds = services_.windowBounds();
  switch (Corner) {
    case 0:
      bounds.left = (screen.width - bounds.width) / 2;
      bounds.top = (screen.height - bounds.height) / 2;
      break;
    case 1:
      bounds.left = 0;
      bounds.top = 0;
      break;
    case 2:
      bounds.left = screen.width - kCornerRight;
      bounds.top = 0;
      break;
    case 4:
      bounds.left = 0;
      bounds.top = screen.height - kCornerBottom;
      break;
    default:  // 3 and any other value
      bounds.left = screen.width - kCornerRight;
      bounds.top = screen.height - kCornerBottom;
      break;
  }
  services_.setWindowBounds(bounds);
}

void TForm1::EnlargeWindow() {
  services_.showNormal();
  const Size screen = services_.screenSize();
  services_.setWindowBounds({0, 0, screen.width, screen.height - kLargeHeightReduction});
}

void TForm1::FormResize() {
  AnchorButton();
  const Bounds bounds = services_.windowBounds();
  VisibleColumns = ColumnsForWidth(bounds.width);
  VisibleRows = RowsForHeight(bounds.height);
}

void TForm1::OpenHelpPdf() { services_.openDocument(helpDocumentPath(profile_)); }

void TForm1::SelectEncoding(int code, std::string_view name) {
  Encoding = code;
  StatusText = name;
  services_.setStatusText(name);
}

void TForm1::FormKeyUp(Key key) {
  switch (key) {
    case Key::end:
      SelectEncoding(1, "EUC-JP");
      break;
    case Key::pageUp:
      SelectEncoding(3, "UTF-8");
      break;
    case Key::home:
      ConvertToUtf8();
      break;
    case Key::f3:
      services_.close();
      break;
    case Key::f8:
      services_.setMemoText(StatusText);
      break;
    case Key::escape:
    case Key::other:
      break;
  }
}

void TForm1::Button1Click() { EnlargeWindow(); }

void TForm1::StatusBar1Click() { services_.setMemoText(" "); }

void TForm1::Timer1Timer() {
  const FileAge age = fileAge(kWatchedFile);
  if (age == WatchedAge) return;
  WatchedAge = age;
  services_.setTimer(TimerId::poll, kPollInterval, false);
  count = 0;
  services_.setTimer(TimerId::reload, kReloadInterval, true);
}

void TForm1::Timer2Timer() {
  if (count >= MANY_TIMES_1 + 1) return;
  ++count;
  if (count >= MANY_TIMES_1 + 1) return;
  if (ReloadWatchedFile()) {
    services_.setTimer(TimerId::reload, kReloadInterval, false);
    services_.setTimer(TimerId::poll, kPollInterval, true);
    count = kParkedCount;
    return;
  }
  if (count == MANY_TIMES_1) {
    services_.setTimer(TimerId::reload, kReloadInterval, false);
    reporter_.error(joinedParts({"Timer2Timer() error:", "count == MANY_TIMES_1"}));
    // Its writer's text could not be read: deleting "VEL" would destroy it.
    KeepWatchedFile = true;
    services_.close();
  }
}

void TForm1::Timer3Timer() { services_.close(); }

bool TForm1::ReloadWatchedFile() {
  const int limit = VisibleColumns - 1;
  // The age of the text about to be read: a rewrite between the poll and
  // this reload is read now, and the next poll must not read it again.
  WatchedAge = fileAge(kWatchedFile);
  TextReader reader(kWatchedFile);
  if (!reader.isOpen()) {
    reporter_.error(joinedParts({"fopen() error-2:", kWatchedFile}));
    return false;
  }
  std::string display;
  int i = 1;
  for (;;) {
    std::string_view piece = reader.nextPiece(kWorkBufferSize - 1);
    if (piece.empty()) break;
    if (piece.back() == '\n') piece.remove_suffix(1);
    std::string line = settings_.numbering ? numbered(++LineNumber, piece) : std::string(piece);
    if (i <= VisibleRows) {
      display += FitLine(line, limit);
      display += kDisplayLineEnd;
    }
    Lines.push_back(std::move(line));
    ++i;
  }
  services_.setMemoText(display);
  return true;
}

void TForm1::Leave1Click() {
  LeaveRequested = true;
  services_.close();
}

void TForm1::Exit1Click() { services_.close(); }

void TForm1::ShiftJIS1Click() { SelectEncoding(2, "Shift_JIS"); }

void TForm1::UTF81Click() { SelectEncoding(3, "UTF-8"); }

void TForm1::EUCJP1Click() { SelectEncoding(1, "EUC-JP"); }

void TForm1::Record1Click() { services_.showRecordDialog(); }

void TForm1::Large1Click() { EnlargeWindow(); }

void TForm1::Standard1Click() {
  services_.showNormal();
  Bounds bounds = services_.windowBounds();
  bounds.width = kStandardSize.width;
  bounds.height = kStandardSize.height;
  services_.setWindowBounds(bounds);
  PlaceWindow();
}

void TForm1::Version1Click() { services_.showVersionDialog(kMorvelVersion); }

bool TForm1::HandBack(PassResult (*pass)(const TableContext&, Regulate&, std::string&), std::string& outputName) {
  const WorkFolderLock lock;  // "binary.tmp" is the folder's to share
  Regulate job;
  job.crlf = settings_.crlf;
  job.no_searching = settings_.no_searching;
  job.whichTable = settings_.whichTable;
  job.lines = Lines;
  if (pass({profile_, reporter_}, job, outputName) != PassResult::converted) return false;
  return CopyBackFromWorkFile(reporter_, kWatchedFile, settings_.keepBinary) != Delivery::failed;
}

bool TForm1::ConvertToEucJp() {
  if (settings_.skipControls) return HandBack(skippingControlCharactersToProduceEUC, eucSkippingOutput_);
  return HandBack(readingToProduceEUC, eucOutput_);
}

bool TForm1::ConvertToUtf8() {
  if (settings_.skipControls) return HandBack(skippingControlCharactersToProduceUTF8, utf8SkippingOutput_);
  return HandBack(readingToProduceUTF8, utf8Output_);
}

bool TForm1::ConvertToShiftJis() {
  if (!settings_.skipControls) return writeLinesBack(kWatchedFile, Lines);
  return HandBack(skippingControlCharactersToProduceSJIS, sjisSkippingOutput_);
}

// The collected lines would die with the window: they go, unconverted, to
// "Morvel.txt", and the messages say so.
void TForm1::KeepLinesAfterFailure() {
  if (writeLinesBack(kFallbackOutput, Lines)) {
    reporter_.message(kFallbackOutput, "holds the collected lines unconverted: their conversion failed.");
  }
}

void TForm1::FormDestroy() {
  if (!LeaveRequested) {
    if (!KeepWatchedFile) std::remove(kWatchedFile);
    return;
  }
  bool handedBack = false;
  switch (Encoding) {
    case 1:
      handedBack = ConvertToEucJp();
      break;
    case 2:
      handedBack = ConvertToShiftJis();
      break;
    default:
      handedBack = ConvertToUtf8();
      break;
  }
  if (!handedBack) KeepLinesAfterFailure();
}

}  // namespace morvel
