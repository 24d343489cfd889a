#include "key_pad.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include "board/board.h"
#include "dialogs/screen/screen_fit.h"
#include "signin/sign_in.h"

namespace {

QFont pixelFont(const QString &family, int pixelSize, QFont::StyleHint hint) {
  QFont font(family);
  font.setStyleHint(hint);  // the nearest installed face when the named one is missing
  font.setPixelSize(pixelSize);
  return font;
}

bool isTyping(const QString &text) {
  if (text.isEmpty()) return false;
  for (const QChar ch : text)
    if (!ch.isPrint()) return false;
  return true;
}

}  // namespace

// ---------------------------------------------------------------- TPasswordEdit

TPasswordEdit::TPasswordEdit(QWidget *parent) : QLineEdit(parent) {
  // Paste from a context menu or a drop would slip past the typing limit.
  setContextMenuPolicy(Qt::NoContextMenu);
  setAcceptDrops(false);
}

void TPasswordEdit::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    emit enterPressed();
    return;
  }
  const int room = typingLimit_ - int(text().size() - selectedText().size());
  if (event->matches(QKeySequence::Paste)) {
    event->accept();
    if (room > 0) {
      QString pasted = QGuiApplication::clipboard()->text();
      pasted.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
      insert(pasted.left(room));
    }
    return;
  }
  // Only typing is limited; the keypad buttons set the text directly and may go beyond it.
  if (isTyping(event->text()) && int(event->text().size()) > room) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TPasswordEdit::mouseReleaseEvent(QMouseEvent *event) {
  QLineEdit::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton) emit clicked();
}

// ---------------------------------------------------------------- TFormKeyPad

TFormKeyPad::TFormKeyPad(zboard::Board &board, QWidget *parent) : QWidget(parent), board_(board) {
  setObjectName(QStringLiteral("FormKeyPad"));
  setWindowTitle(QStringLiteral("Yetki Kontrol"));
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(305, 351);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(1, 1, 303, 349);
  Panel1->setFrameShape(QFrame::Panel);
  Panel1->setFrameShadow(QFrame::Raised);

  BitBtn10 = addButton("BitBtn10", QStringLiteral("TERK"), 1, 1, 19);

  Edit1 = new TPasswordEdit(Panel1);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(74, 17, 155, 40);
  Edit1->setFont(pixelFont(QStringLiteral("Times New Roman"), 21, QFont::Serif));
  Edit1->setEchoMode(QLineEdit::Password);
  Edit1->setStyleSheet(QStringLiteral(
      "QLineEdit { background-color: #00FF00; lineedit-password-character: 42; "
      "lineedit-password-mask-delay: 0; }"));
  Edit1->setTypingLimit(10);

  BitBtnTumunuSil = addButton("BitBtnTumunuSil", QStringLiteral("<<<<"), 228, 1, 21);
  BitBtn1 = addButton("BitBtn1", QStringLiteral("1"), 1, 71, 32);
  BitBtn2 = addButton("BitBtn2", QStringLiteral("2"), 76, 71, 32);
  BitBtn3 = addButton("BitBtn3", QStringLiteral("3"), 152, 71, 32);
  BitBtn11 = addButton("BitBtn11", QStringLiteral("<"), 228, 71, 32);
  BitBtn4 = addButton("BitBtn4", QStringLiteral("4"), 1, 141, 32);
  BitBtn5 = addButton("BitBtn5", QStringLiteral("5"), 76, 141, 32);
  BitBtn6 = addButton("BitBtn6", QStringLiteral("6"), 152, 141, 32);
  BitBtnOk = addButton("BitBtnOk", QStringLiteral("OK"), 228, 141, 27, 207);
  BitBtn7 = addButton("BitBtn7", QStringLiteral("7"), 1, 211, 32);
  BitBtn8 = addButton("BitBtn8", QStringLiteral("8"), 76, 211, 32);
  BitBtn9 = addButton("BitBtn9", QStringLiteral("9"), 152, 211, 32);
  BitBtn12 = addButton("BitBtn12", QStringLiteral(","), 1, 281, 32);
  BitBtn0 = addButton("BitBtn0", QStringLiteral("0"), 76, 281, 32);
  BitBtn13 = addButton("BitBtn13", QStringLiteral("00"), 152, 281, 32);

  ComboBox1 = new QComboBox(Panel1);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->hide();

  for (QPushButton *button : {BitBtn0, BitBtn1, BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6, BitBtn7,
                              BitBtn8, BitBtn9, BitBtn12, BitBtn13})
    connect(button, &QPushButton::clicked, this, [this, button] { appendCaption(button); });
  connect(BitBtn11, &QPushButton::clicked, this, &TFormKeyPad::BitBtn11Click);
  connect(BitBtnTumunuSil, &QPushButton::clicked, this, &TFormKeyPad::BitBtnTumunuSilClick);
  connect(BitBtn10, &QPushButton::clicked, this, &TFormKeyPad::BitBtn10Click);
  connect(BitBtnOk, &QPushButton::clicked, this, &TFormKeyPad::BitBtnOkClick);
  connect(Edit1, &TPasswordEdit::clicked, this, &TFormKeyPad::Edit1Click);
  connect(Edit1, &TPasswordEdit::enterPressed, this, &TFormKeyPad::BitBtnOkClick);

  placement_ = new zdlg::BoxPlacement(this, size());
  placement_->setCentreOnScreen(true);
  placement_->widgets().addGeometry(Panel1);
  placement_->widgets().add(Edit1);
  for (QPushButton *button : Panel1->findChildren<QPushButton *>()) placement_->widgets().add(button);
}

QPushButton *TFormKeyPad::addButton(const char *name, const QString &caption, int left, int top,
                                    int pixelSize, int height) {
  auto *button = new QPushButton(caption, Panel1);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left, top, 73, height);
  button->setFont(pixelFont(QStringLiteral("Algerian"), pixelSize, QFont::Decorative));
  // Taps must not pull the focus out of the password field: typing goes on where it was.
  button->setFocusPolicy(Qt::NoFocus);
  return button;
}

void TFormKeyPad::appendCaption(QPushButton *button) { Edit1->setText(Edit1->text() + button->text()); }

void TFormKeyPad::BitBtn11Click() {
  QString text = Edit1->text();
  if (text.isEmpty()) return;
  text.chop(1);
  Edit1->setText(text);
}

void TFormKeyPad::BitBtnTumunuSilClick() { Edit1->clear(); }

void TFormKeyPad::BitBtn10Click() { close(); }

void TFormKeyPad::Edit1Click() { Edit1->selectAll(); }

void TFormKeyPad::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  // Centred on the work area the first time; afterwards where it was, as long as it fits there.
  if (!event->spontaneous()) placement_->place();
  if (shownOnce_) return;
  shownOnce_ = true;
  // Start-up runs once the window is on screen and the event loop turns, so its messages appear
  // over the keypad and a failure can close the window and end the loop.
  QMetaObject::invokeMethod(this, &TFormKeyPad::FormShow, Qt::QueuedConnection);
}

void TFormKeyPad::FormShow() {
  startupResult_ = zsignin::runConnectionStartup(
      board_.Connect, board_.messenger(), startupOptions_,
      [this](const QStringList &lines) { return hostFromLines(lines); });
  startupDone_ = true;
  if (startupResult_ == zsignin::StartupResult::ProgramEnds) {
    close();
    return;
  }
  activateWindow();
  Edit1->setFocus();
}

QString TFormKeyPad::hostFromLines(const QStringList &lines) {
  ComboBox1->clear();
  ComboBox1->addItems(lines);
  ComboBox1->setCurrentIndex(0);
  return ComboBox1->currentText();
}

void TFormKeyPad::BitBtnOkClick() {
  if (signingIn_) return;
  signingIn_ = true;
  const zsignin::SignInResult result = zsignin::signIn(board_, Edit1->text());
  if (result.clearPassword) Edit1->clear();
  signingIn_ = false;
  if (!result.showBoard()) return;
  if (showBoard_) showBoard_();
  Edit1->clear();
  activateWindow();
  Edit1->setFocus();
}

void TFormKeyPad::closeEvent(QCloseEvent *event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) emit closed();
}
