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

namespace {

template <class Control>
Control* placed(QWidget* parent, const char* name, const QRect& at, int fontPixels) {
  auto* control = new Control(parent);
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(at);
  control->setFont(formFont(fontPixels));
  return control;
}

}  // namespace

DialogWindow::DialogWindow(QWidget* parent, const DisplayText& display) : QDialog(parent), display_(display) {
  setFont(formFont(12));
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
    noteBox_ =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Morvel VCL"), QString(), QMessageBox::Ok, this);
    noteBox_->setObjectName(QStringLiteral("EditNote"));
    noteBox_->setAttribute(Qt::WA_DeleteOnClose);
    noteBox_->setWindowModality(Qt::NonModal);
  }
  noteBox_->setText(pathText(sentence));  // ASCII words around names, shown as the names are
  noteBox_->show();
}

Form2Dialog::Form2Dialog(QWidget* parent, const FinalEffect& settings, Reporter& reporter, const DisplayText& display)
    : DialogWindow(parent, display) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("Record"));
  Edit1 = placed<QLineEdit>(this, "Edit1", QRect(0, 0, 57, 43), 35);
  Edit1->setText(QStringLiteral("\u2473"));  // the designed texts: circled twenty
  Edit2 = placed<QLineEdit>(this, "Edit2", QRect(57, 0, 57, 43), 35);
  Edit2->setText(QStringLiteral("\uFF3F"));  // and full-width low line
  Button1 = placed<QPushButton>(this, "Button1", QRect(57, 43, 68, 34), 16);
  Button1->setText(QStringLiteral("Save"));
  Button1->setAutoDefault(false);
  pressOnEnter(Button1);
  Label1 = placed<QLabel>(this, "Label1", QRect(0, 77, 127, 24), 16);
  Label1->setText(QStringLiteral("8753"));
  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, Button1);
  connect(Button1, &QPushButton::clicked, this, [this] { form_->Button1Click(); });
  form_ = std::make_unique<TForm2>(*this, settings, reporter);
  form_->FormCreate();
}

void Form2Dialog::showBeside() {
  show();
  raise();
  activateWindow();
  Button1->setFocus();
}

Form3Dialog::Form3Dialog(QWidget* parent, const ProgramProfile& profile, const DisplayText& display)
    : DialogWindow(parent, display) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("Version"));
  auto* image = new QLabel(this);
  image->setObjectName(QStringLiteral("Image1"));
  image->setGeometry(0, 0, 160, 32);
  image->setPixmap(QPixmap(QStringLiteral(":/morvel/version.png")));
  placed<QLabel>(this, "Label1", QRect(0, 32, 160, 20), 16);
  placed<QLabel>(this, "Label2", QRect(0, 52, 160, 20), 13);
  auto* help = placed<QPushButton>(this, "Button1", QRect(0, 72, 68, 34), 16);
  help->setText(QStringLiteral("Help"));
  help->setAutoDefault(false);
  pressOnEnter(help);
  auto* version = placed<QLabel>(this, "Label3", QRect(0, 106, 160, 20), 16);
  version->setText(QString::fromLatin1(kDesignedVersion));
  fitText(version);
  connect(help, &QPushButton::clicked, this, [this] { form_->Button1Click(); });
  form_ = std::make_unique<TForm3>(*this, profile);
  form_->FormCreate();
}

void Form3Dialog::showModally(std::string_view version) {
  form_->SetVersionText(version);
  exec();
}

}  // namespace morvel
