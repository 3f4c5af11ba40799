// The update window's widgets at their designed pixel places, and the events they raise.
#pragma once

#include <QMainWindow>

#include "platform/View.h"

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace platform::qt {

class CheckList;

class UpdateWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit UpdateWindow(QWidget* parent = nullptr);

  // Where the window's user actions go; null drops them.
  void setEvents(ViewEvents* events) { m_events = events; }

  QWidget* control(Control c) const;
  // Text of a label or button (empty for the list and the bar, which have none). Labels other
  // than the right-aligned progress label fit their size to the new text, keeping their place.
  void setCaption(Control c, const QString& text);
  QString caption(Control c) const;
  CheckList* checkList() const { return m_checkList; }
  QProgressBar* progressBar() const { return m_progressBar; }
  QWidget* clientArea() const { return m_client; }
  QAction* proxyIPMenu() const { return m_proxyIPMenu; }
  QAction* proxyPortMenu() const { return m_proxyPortMenu; }

  // The area below the menu bar gets exactly this size; the window follows and stays fixed.
  void setClientSize(int width, int height);
  // True once the window has agreed to close.
  bool hasClosed() const { return m_closed; }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* addLabel(const char* name, const char* text, int left, int top);
  QPushButton* addButton(const char* name, const char* text);
  void buildMenu();
  void wireEvents();

  ViewEvents* m_events = nullptr;
  bool m_closed = false;
  QWidget* m_client = nullptr;
  QLabel* m_label2 = nullptr;
  QLabel* m_label3 = nullptr;
  CheckList* m_checkList = nullptr;
  QLabel* m_msgLabel = nullptr;
  QProgressBar* m_progressBar = nullptr;
  QLabel* m_progressLabel = nullptr;
  QLabel* m_nowVersionLabel = nullptr;
  QLabel* m_upVersionLabel = nullptr;
  QPushButton* m_downLoadButton = nullptr;
  QPushButton* m_cancelButton = nullptr;
  QAction* m_proxyIPMenu = nullptr;
  QAction* m_proxyPortMenu = nullptr;
};

}  // namespace platform::qt
