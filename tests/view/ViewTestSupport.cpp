// Shared pieces of the window tests: a recording event sink and drivers for modal boxes.
#include "tests/view/ViewTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace test {

int RecordingEvents::count(const std::string& name) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

bool waitUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 2000); }

namespace {

void record(QWidget* box, SeenBox& seen) {
  seen.className = QString::fromUtf8(box->metaObject()->className());
  seen.title = box->windowTitle();
  for (const QAbstractButton* b : box->findChildren<QAbstractButton*>()) {
    if (b->isVisible()) seen.buttons << b->text();
  }
  if (auto* message = qobject_cast<QMessageBox*>(box)) {
    seen.text = message->text();
    seen.icon = message->icon();
    // Order as the user sees them, left to right.
    seen.buttons.clear();
    std::vector<const QAbstractButton*> shown;
    for (const QAbstractButton* b : message->buttons()) shown.push_back(b);
    std::sort(shown.begin(), shown.end(),
              [](const QAbstractButton* a, const QAbstractButton* b) { return a->x() < b->x(); });
    for (const QAbstractButton* b : shown) seen.buttons << b->text();
  } else if (auto* input = qobject_cast<QInputDialog*>(box)) {
    seen.text = input->labelText();
    seen.inputValue = input->textValue();
  }
}

}  // namespace

void whenBoxOpens(SeenBox& seen, std::function<void(QWidget* box)> act) {
  // Poll from a timer: the box opens inside code the test has not returned from yet.
  auto* timer = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, tries, &seen, act] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || !box->isVisible()) {
      if (++*tries > 400) timer->deleteLater();  // give up; the test's own check then fails
      return;
    }
    timer->stop();
    timer->deleteLater();
    record(box, seen);
    act(box);
  });
  timer->start(5);
}

bool clickButton(QWidget* box, const QString& text) {
  for (QAbstractButton* b : box->findChildren<QAbstractButton*>()) {
    if (b->text() == text && b->isVisible()) {
      QTest::mouseClick(b, Qt::LeftButton);
      return true;
    }
  }
  return false;
}

}  // namespace test
