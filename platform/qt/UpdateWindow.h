// The update window's widgets, built from the window's design, and the events they raise.
#pragma once

#include <QMainWindow>
#include <array>

#include "platform/View.h"
#include "platform/WindowDesign.h"

class QAction;
class QProgressBar;

namespace platform::qt {

class CheckList;

class UpdateWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Builds every control, the check list's items and the menu from `design`, which must
  // outlive the window.
  explicit UpdateWindow(const WindowDesign& design, QWidget* parent = nullptr);

  // Where the window's user actions go; null drops them.
  void setEvents(ViewEvents* events) { m_events = events; }

  const WindowDesign& design() const { return m_design; }
  QWidget* control(Control c) const { return m_controls[static_cast<size_t>(c)]; }
  // Text of a label or button (empty for the list and the bar, which have none). Labels fit
  // their size to the new text, keeping their place; a right-aligned one keeps its right edge.
  void setCaption(Control c, const QString& text);
  QString caption(Control c) const;
  CheckList* checkList() const;
  QProgressBar* progressBar() const;
  QWidget* clientArea() const { return m_client; }
  QAction* menuAction(MenuCommand command) const {
    return m_menuActions[static_cast<size_t>(command)];
  }

  // The area below the menu bar gets exactly this size; the window follows and stays fixed.
  void setClientSize(int width, int height);
  // True once the window has agreed to close.
  bool hasClosed() const { return m_closed; }

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* buildControl(const ControlDesign& row);
  void setTabOrder();
  void buildMenu();
  void wireEvents();

  const WindowDesign& m_design;
  ViewEvents* m_events = nullptr;
  bool m_closed = false;
  QWidget* m_client = nullptr;
  std::array<QWidget*, static_cast<size_t>(Control::CancelButton) + 1> m_controls{};
  std::array<QAction*, static_cast<size_t>(MenuCommand::ProxyPort) + 1> m_menuActions{};
};

}  // namespace platform::qt
