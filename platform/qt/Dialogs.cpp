// The program's modal message and input boxes on Qt Widgets.
#include "platform/qt/Dialogs.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace platform::qt {

QString boxText(const std::string& text) {
  QString result = QString::fromStdString(text);
  result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return result;
}

namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information:
      return QMessageBox::Information;
    case MessageKind::Confirmation:
      return QMessageBox::Question;
    case MessageKind::Error:
      return QMessageBox::Critical;
    case MessageKind::Plain:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MessageAnswer showMessageBox(QWidget* parent, const BoxButtonsDesign& texts, MessageKind kind,
                             const std::string& title, const std::string& text,
                             MessageButtons buttons) {
  QMessageBox box(parent);
  box.setIcon(iconOf(kind));
  box.setWindowTitle(QString::fromStdString(title));
  // File names and server texts end up in boxes; never let them be read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(boxText(text));

  QPushButton* ok = nullptr;
  QPushButton* yes = nullptr;
  QPushButton* no = nullptr;
  if (buttons == MessageButtons::YesNo) {
    yes = box.addButton(QString::fromUtf8(texts.yes), QMessageBox::YesRole);
    no = box.addButton(QString::fromUtf8(texts.no), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
  } else {
    ok = box.addButton(QString::fromUtf8(texts.ok), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
  }
  box.exec();

  const QAbstractButton* clicked = box.clickedButton();
  if (clicked == nullptr) return MessageAnswer::Cancel;
  if (clicked == yes) return MessageAnswer::Yes;
  if (clicked == no) return MessageAnswer::No;
  if (clicked == ok) return MessageAnswer::Ok;
  return MessageAnswer::Cancel;
}

std::optional<std::string> showInputBox(QWidget* parent, const BoxButtonsDesign& texts,
                                        const std::string& title, const std::string& prompt,
                                        const std::string& value, bool password) {
  QInputDialog box(parent);
  box.setInputMode(QInputDialog::TextInput);
  box.setTextEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
  box.setWindowTitle(QString::fromStdString(title));
  box.setLabelText(QString::fromStdString(prompt));
  box.setTextValue(QString::fromStdString(value));
  box.setOkButtonText(QString::fromUtf8(texts.ok));
  box.setCancelButtonText(QString::fromUtf8(texts.cancel));
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return box.textValue().toStdString();
}

}  // namespace platform::qt
