// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "dialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "keys.h"
#include "widget_support.h"

namespace morvel {

DialogWindow::DialogWindow(QWidget* parent, const DisplayText& display) : QDialog(parent), display_(display) {
  setFont(designedFont(kFormFont));
  setWindowIcon(morvelIcon());
  // A fixed border with only the close box.
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
  keyPreview_ = new KeyPreview(this, [this](Key key) { keyReleased(key); });
  framed_ = new FramedGeometry(this, true);
}

QString DialogWindow::shown(std::string_view sjis) const { return shownText(display_, sjis); }

// Several codes show as one character (the NEC and IBM duplicates): while
// an edit shows what it was given, its bytes are the ones given.
std::optional<std::string> DialogWindow::typedText(std::string_view control) const {
  const QString name = QString::fromLatin1(control.data(), static_cast<qsizetype>(control.size()));
  const auto* edit = findChild<QLineEdit*>(name);
  if (edit == nullptr) return std::string();
  const QString text = edit->text();
  const auto given = given_.find(name);
  if (given != given_.end() && given->second.shown == text) return given->second.sjis;
  return display_.shiftJis(text.toStdString());
}

void DialogWindow::setText(std::string_view control, std::string_view text) {
  const QString name = QString::fromLatin1(control.data(), static_cast<qsizetype>(control.size()));
  if (auto* edit = findChild<QLineEdit*>(name)) {
    edit->setText(shown(text));
    given_[name] = {edit->text(), std::string(text)};
  } else if (auto* label = findChild<QLabel*>(name)) {
    label->setText(shown(text));
    fitText(label);
  }
}

void DialogWindow::setKeyPreview(bool on) { keyPreview_->setEnabled(on); }

void DialogWindow::hideDialog() { QDialog::hide(); }

Size DialogWindow::screenSize() const { return screenSizeOf(*this); }

void DialogWindow::setBounds(const Bounds& bounds) { framed_->set(bounds); }

void DialogWindow::setClipboardText(std::string_view text) { copyToClipboard(display_, text); }

void DialogWindow::openDocument(const std::string& path) { openDocumentBeside(this, path); }

void DialogWindow::showNote(std::string_view sentence) {
  // Not modal: the main window and its timers go on; a later note replaces it.
  if (noteBox_ == nullptr) {
    noteBox_ = new QMessageBox(QMessageBox::Information, shown(kProductLabel), QString(), QMessageBox::Ok, this);
    noteBox_->setObjectName(QStringLiteral("EditNote"));
    noteBox_->setAttribute(Qt::WA_DeleteOnClose);
    noteBox_->setWindowModality(Qt::NonModal);
  }
  noteBox_->setText(pathText(sentence));  // ASCII words around names, shown as the names are
  noteBox_->show();
}

// The controls as designed, in their focus order; a push button presses on
// Enter and runs `click`.
void DialogWindow::build(std::string_view name, std::string_view caption, std::span<const ControlDesign> controls,
                         const std::function<void()>& click) {
  setObjectName(shown(name));
  setWindowTitle(shown(caption));
  QWidget* previous = nullptr;
  for (const ControlDesign& design : controls) {
    QWidget* control = nullptr;
    switch (design.kind) {
      case ControlKind::edit:
        control = new QLineEdit(this);
        break;
      case ControlKind::button: {
        auto* button = new QPushButton(this);
        button->setAutoDefault(false);
        pressOnEnter(button);
        connect(button, &QPushButton::clicked, this, click);
        control = button;
        break;
      }
      case ControlKind::label:
        control = new QLabel(this);
        break;
      case ControlKind::picture: {
        auto* picture = new QLabel(this);
        picture->setPixmap(QPixmap(QStringLiteral(":/morvel/version.png")));
        control = picture;
        break;
      }
    }
    control->setObjectName(shown(design.name));
    control->setGeometry(design.bounds.left, design.bounds.top, design.bounds.width, design.bounds.height);
    control->setFont(designedFont(design.font));
    if (auto* button = qobject_cast<QPushButton*>(control)) button->setText(shown(design.text));
    if (!design.text.empty()) setText(design.name, design.text);
    if (design.kind != ControlKind::label && design.kind != ControlKind::picture) {
      if (previous != nullptr) setTabOrder(previous, control);
      previous = control;
    }
  }
}

Form2Dialog::Form2Dialog(QWidget* parent, const FinalEffect& settings, Reporter& reporter, const DisplayText& display)
    : DialogWindow(parent, display) {
  build(kRecordDialog.name, kRecordDialog.caption, kRecordDialog.controls,
        [this] { (form_.get()->*kRecordDialog.buttonClick)(); });
  form_ = std::make_unique<TForm2>(*this, settings, reporter);
  form_->FormCreate();
}

void Form2Dialog::showBeside() {
  show();
  raise();
  activateWindow();
  findChild<QPushButton*>(QStringLiteral("Button1"))->setFocus();
}

Form3Dialog::Form3Dialog(QWidget* parent, const ProgramProfile& profile, const DisplayText& display)
    : DialogWindow(parent, display) {
  build(kVersionDialog.name, kVersionDialog.caption, kVersionDialog.controls,
        [this] { (form_.get()->*kVersionDialog.buttonClick)(); });
  form_ = std::make_unique<TForm3>(*this, profile);
  form_->FormCreate();
}

void Form3Dialog::showModally(std::string_view version) {
  form_->SetVersionText(version);
  exec();
}

}  // namespace morvel
