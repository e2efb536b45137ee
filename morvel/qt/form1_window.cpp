// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "form1_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>

#include "dialogs.h"
#include "keys.h"
#include "widget_support.h"

namespace morvel {

Form1Window::Form1Window(const FinalEffect& settings, Reporter& reporter, const DisplayText& display)
    : display_(display) {
  setObjectName(shown(kMainWindow.name));
  setWindowIcon(morvelIcon());
  keyPreview_ = new KeyPreview(this, [this](Key key) { form_->FormKeyUp(key); });
  framed_ = new FramedGeometry(this, false);
  setFont(designedFont(kMainWindow.font));
  createMemo();
  createStatusBar();
  createButton();
  createMenus();
  createTimers();
  resize(kMainWindow.outer.width, kMainWindow.outer.height);
  if (layout() != nullptr) layout()->activate();  // menu and status bar take their sizes now
  form_ = std::make_unique<TForm1>(*this, settings, reporter);
  form_->FormCreate();
  // The dialogs, created hidden and owned as the window's children: the
  // Record dialog looks its character up at once.
  Form2 = new Form2Dialog(this, settings, reporter, display);
  Form3 = new Form3Dialog(this, profileFor(settings), display);
}

Form1Window::~Form1Window() {
  keyPreview_->setEnabled(false);
  form_->FormClose(LockWait::untilFree);  // nothing left to do once the window closed
}

void Form1Window::createMemo() {
  Memo1 = new QTextEdit(this);
  Memo1->setObjectName(shown(kMainWindow.memoName));
  Memo1->setFont(designedFont(kMainWindow.memoFont));
  Memo1->setAcceptRichText(false);
  Memo1->setUndoRedoEnabled(false);
  Memo1->setLineWrapMode(QTextEdit::NoWrap);
  Memo1->viewport()->installEventFilter(this);
  setCentralWidget(Memo1);
}

// The lines get their share of the display area's height (the font's own
// spacing at most) and the font shrinks to it where the area is shorter
// than the design's.
void Form1Window::fitRows() {
  if (!form_) return;
  const QFont designed = designedFont(kMainWindow.memoFont);
  const int margins = 2 * static_cast<int>(Memo1->document()->documentMargin());
  const int height = FittedLineHeight(Memo1->viewport()->height() - margins, form_->visibleRows(),
                                      QFontMetrics(designed).lineSpacing());
  if (height == rowHeight_) return;
  rowHeight_ = height;
  QFont font = designed;
  font.setPixelSize(std::min(font.pixelSize(), height));
  Memo1->setFont(font);
  QTextCursor all(Memo1->document());
  all.select(QTextCursor::Document);
  QTextBlockFormat format;
  format.setLineHeight(height, QTextBlockFormat::FixedHeight);
  all.mergeBlockFormat(format);
}

void Form1Window::createStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(shown(kMainWindow.statusBarName));
  statusPanel0_ = new QLabel(bar);
  statusPanel0_->setObjectName(QStringLiteral("StatusPanel0"));
  statusPanel0_->setMinimumWidth(1);
  statusPanel1_ = new QLabel(shown(kMainWindow.statusPanel1Text), bar);
  statusPanel1_->setObjectName(QStringLiteral("StatusPanel1"));
  statusPanel1_->setFixedWidth(kMainWindow.statusPanel1Width);
  bar->addWidget(statusPanel0_, 1);
  bar->addWidget(statusPanel1_);
  bar->setSizeGripEnabled(false);
  for (QObject* clickable :
       {static_cast<QObject*>(bar), static_cast<QObject*>(statusPanel0_), static_cast<QObject*>(statusPanel1_)}) {
    clickable->installEventFilter(this);
  }
}

void Form1Window::createButton() {
  Button1 = new QPushButton(shown(kMainWindow.buttonCaption), this);
  Button1->setObjectName(shown(kMainWindow.buttonName));
  Button1->setFont(designedFont(kMainWindow.buttonFont));
  pressOnEnter(Button1);
  connect(Button1, &QPushButton::clicked, this, [this] { (form_.get()->*kMainWindow.buttonClick)(); });
}

void Form1Window::addMenuItems(QMenu* menu, std::span<const MenuItem> items) {
  for (const MenuItem& item : items) {
    const auto click = item.click;
    if (!item.items.empty()) {
      QMenu* submenu = menu->addMenu(shown(item.caption));
      submenu->setObjectName(shown(item.name));
      // A submenu's handler runs each time it opens.
      if (click != nullptr) connect(submenu, &QMenu::aboutToShow, this, [this, click] { (form_.get()->*click)(); });
      addMenuItems(submenu, item.items);
      continue;
    }
    QAction* action = menu->addAction(shown(item.caption), this, [this, click] { (form_.get()->*click)(); });
    action->setObjectName(shown(item.name));
    if (item.shortcut == Shortcut::f5) action->setShortcut(Qt::Key_F5);
  }
}

void Form1Window::createMenus() {
  for (const MenuItem& menu : kMainWindow.menus) {
    QMenu* shownMenu = menuBar()->addMenu(shown(menu.caption));
    shownMenu->setObjectName(shown(menu.name));
    addMenuItems(shownMenu, menu.items);
  }
}

void Form1Window::createTimers() {
  for (const TimerDesign& design : kMainWindow.timers) {
    auto* made = new QTimer(this);
    made->setObjectName(shown(design.name));
    made->setInterval(design.intervalMs);
    const auto tick = design.tick;
    connect(made, &QTimer::timeout, this, [this, tick] { (form_.get()->*tick)(); });
    timers_[static_cast<std::size_t>(design.id)] = made;
  }
}

QTimer* Form1Window::timer(TimerId id) const { return timers_.at(static_cast<std::size_t>(id)); }

QString Form1Window::shown(std::string_view sjis) const { return shownText(display_, sjis); }

void Form1Window::setCaption(std::string_view text) { setWindowTitle(shown(text)); }

void Form1Window::setMemoText(std::string_view text) {
  Memo1->setPlainText(shown(text));
  rowHeight_ = 0;  // the new lines take the row height too
  fitRows();
}

void Form1Window::setStatusText(std::string_view text) { statusPanel0_->setText(shown(text)); }

void Form1Window::setStatusPath(std::string_view path) { statusPanel0_->setText(pathText(path)); }

void Form1Window::setKeyPreview(bool on) { keyPreview_->setEnabled(on); }

void Form1Window::closeWindow() { QMainWindow::close(); }

void Form1Window::setTimer(TimerId id, int intervalMs, bool enabled) {
  QTimer* t = timer(id);
  t->setInterval(intervalMs);
  if (!enabled) {
    t->stop();
  } else if (!t->isActive()) {
    t->start();
  }
}

Bounds Form1Window::windowBounds() const { return framed_->get(); }

Size Form1Window::clientSize() const { return {width(), height() - menuBar()->height()}; }

void Form1Window::setWindowBounds(const Bounds& bounds) { framed_->set(bounds); }

Size Form1Window::screenSize() const { return screenSizeOf(*this); }

void Form1Window::restoreWindow() {
  if (isMaximized() || isMinimized() || isFullScreen()) QMainWindow::showNormal();
}

int Form1Window::statusBarHeight() const { return statusBar()->height(); }

void Form1Window::setButtonBounds(const Bounds& bounds) {
  Button1->setGeometry(bounds.left, bounds.top + menuBar()->height(), bounds.width, bounds.height);
  Button1->raise();
}

void Form1Window::setClipboardText(std::string_view text) { copyToClipboard(display_, text); }

void Form1Window::openDocument(const std::string& path) { openDocumentBeside(this, path); }

void Form1Window::showRecordDialog() { Form2->showBeside(); }

void Form1Window::showVersionDialog(std::string_view version) { Form3->showModally(version); }

void Form1Window::showFailure(std::string_view text) {
  // Not modal: the window, its timers and the writer's hand-over go on.
  if (failureBox_ == nullptr) {
    failureBox_ = new QMessageBox(QMessageBox::Critical, shown(kProductLabel), QString(), QMessageBox::Ok, this);
    failureBox_->setAttribute(Qt::WA_DeleteOnClose);
    failureBox_->setWindowModality(Qt::NonModal);
  }
  failureBox_->setText(shown(text));
  failureBox_->show();
}

void Form1Window::postFileChange() {
  // Queued: the notice's thread only posts; the window's thread reads.
  QMetaObject::invokeMethod(
      this, [this] { form_->WatchedFileChanged(); }, Qt::QueuedConnection);
}

bool Form1Window::eventFilter(QObject* watched, QEvent* event) {
  // Clicks on the panels, which take no mouse events, reach the bar itself.
  if (watched == statusBar() && event->type() == QEvent::MouseButtonRelease) form_->StatusBar1Click();
  if (watched == Memo1->viewport() && event->type() == QEvent::Resize) fitRows();
  return false;
}

void Form1Window::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (form_) form_->FormResize();
  fitRows();
}

void Form1Window::closeEvent(QCloseEvent* event) {
  // The hand-off, while the window still runs: waiting for the folder's
  // lock keeps it open until the lock comes free.
  if (!form_->FormClose()) {
    event->ignore();
    return;
  }
  event->accept();
  QCoreApplication::quit();  // closing the main window ends the program, open dialogs or not
}

}  // namespace morvel
