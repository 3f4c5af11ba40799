// The update window on Qt 6 Widgets.
#include "platform/qt/QtView.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/qt/CheckList.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/UpdateWindow.h"

namespace platform::qt {

QtView::QtView(const WindowDesign& design) : m_window(std::make_unique<UpdateWindow>(design)) {}

QtView::~QtView() {
  // Destroying the window must not reach the logic, which may already be gone.
  m_window->setEvents(nullptr);
  if (m_hourGlass) QGuiApplication::restoreOverrideCursor();
}

void QtView::processMessages() { QCoreApplication::processEvents(); }

void QtView::waitMessages(unsigned timeoutMs) {
  // The timer's own event ends the sleep when no other message comes first.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(static_cast<int>(std::min(timeoutMs, 1000000u)));
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QCoreApplication::processEvents();
}

void QtView::setEvents(ViewEvents* events) { m_window->setEvents(events); }

void QtView::setCaption(Control c, const std::string& text) {
  m_window->setCaption(c, QString::fromStdString(text));
}

std::string QtView::caption(Control c) const { return m_window->caption(c).toStdString(); }

void QtView::setVisible(Control c, bool visible) { m_window->control(c)->setVisible(visible); }

// The control's own setting, whether or not the window is on the screen yet.
bool QtView::isVisible(Control c) const { return !m_window->control(c)->isHidden(); }

void QtView::setEnabled(Control c, bool enabled) { m_window->control(c)->setEnabled(enabled); }

// The control's own setting, not disabled by a disabled window.
bool QtView::isEnabled(Control c) const {
  return m_window->control(c)->isEnabledTo(m_window.get());
}

void QtView::repaint(Control c) { m_window->control(c)->repaint(); }

void QtView::setClientSize(int width, int height) { m_window->setClientSize(width, height); }

void QtView::setWindowEnabled(bool enabled) { m_window->setEnabled(enabled); }

bool QtView::isWindowEnabled() const { return m_window->isEnabled(); }

void QtView::setCursor(CursorShape shape) {
  const bool hourGlass = shape == CursorShape::HourGlass;
  if (hourGlass == m_hourGlass) return;
  // Override cursors stack; keep at most one of ours on the stack.
  if (hourGlass) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
  m_hourGlass = hourGlass;
}

int QtView::itemCount() const { return m_window->checkList()->count(); }

std::string QtView::itemText(int index) const { return m_window->checkList()->itemText(index); }

bool QtView::isChecked(int index) const { return m_window->checkList()->isTicked(index); }

void QtView::setChecked(int index, bool checked) {
  m_window->checkList()->setTicked(index, checked);
}

int QtView::itemIndex() const { return m_window->checkList()->currentRow(); }

void QtView::setProgress(int position) {
  QProgressBar* bar = m_window->progressBar();
  bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
}

int QtView::progress() const { return m_window->progressBar()->value(); }

MessageAnswer QtView::messageBox(MessageKind kind, const std::string& title,
                                 const std::string& text, MessageButtons buttons) {
  const MessageAnswer answer =
      showMessageBox(m_window.get(), m_window->design().boxButtons, kind, title, text, buttons);
  giveBackActivation();
  return answer;
}

std::optional<std::string> QtView::askInput(const std::string& title, const std::string& prompt,
                                            const std::string& value, platform::InputMode mode) {
  std::optional<std::string> result =
      showInputBox(m_window.get(), m_window->design().boxButtons, title, prompt, value,
                   mode == platform::InputMode::Password);
  giveBackActivation();
  return result;
}

void QtView::giveBackActivation() {
  // A window manager hands the activation back to the window when its box closes; without one
  // (Xvfb, offscreen) nobody would, and the window would miss its activation event.
  UpdateWindow& w = *m_window;
  if (w.isVisible() && !w.hasClosed() && QApplication::activeWindow() != &w) w.activateWindow();
}

namespace {

void centreOnScreen(QWidget& w) {
  const QScreen* screen = w.screen() ? w.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize size = w.frameGeometry().size();
  w.move(area.x() + (area.width() - size.width()) / 2,
         area.y() + (area.height() - size.height()) / 2);
}

}  // namespace

void QtView::show() {
  UpdateWindow& w = *m_window;
  centreOnScreen(w);
  w.show();
  // The frame's size is known only once shown (if the platform tells it at all).
  centreOnScreen(w);
  // Without a window manager (Xvfb, offscreen) a shown window is never activated otherwise.
  w.activateWindow();
}

int QtView::runMessageLoop() {
  if (m_terminated || m_window->hasClosed()) return 0;
  return QApplication::exec();
}

void QtView::postClose() {
  // Queued: the close runs once the current handler has returned to the loop.
  QTimer::singleShot(0, m_window.get(), [w = m_window.get()] { w->close(); });
}

void QtView::terminate() {
  m_terminated = true;
  // exit() ends every running loop; before the loop has started the flag does the work.
  QCoreApplication::exit(0);
}

}  // namespace platform::qt
