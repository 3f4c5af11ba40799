// The update window's widgets, built from the window's design, and the events they raise.
#include "platform/qt/UpdateWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "platform/qt/CheckList.h"

namespace platform::qt {

namespace {

// Pixel sizes keep the layout independent of the desktop's font scaling.
QFont qtFont(const FontDesign& design) {
  QFont font(QString::fromUtf8(design.face));
  font.setPixelSize(design.height);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

void applyFont(QWidget& widget, const FontDesign& design) {
  widget.setFont(qtFont(design));
  if (design.colour != TextColour::Black) return;
  QPalette palette = widget.palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  palette.setColor(QPalette::ButtonText, Qt::black);
  widget.setPalette(palette);
}

}  // namespace

UpdateWindow::UpdateWindow(const WindowDesign& design, QWidget* parent)
    : QMainWindow(parent), m_design(design) {
  setWindowTitle(QString::fromUtf8(design.caption));
  if (design.fixedFrame) {
    // A fixed dialog-like frame: system menu and close box, no minimise or maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  }

  m_client = new QWidget(this);
  m_client->setObjectName(QString::fromUtf8(design.name));
  applyFont(*m_client, design.font);
  setCentralWidget(m_client);

  for (const ControlDesign& row : design.controls) {
    QWidget* widget = buildControl(row);
    widget->setObjectName(QString::fromUtf8(row.name));
    widget->setVisible(row.visible);
    widget->setEnabled(row.enabled);
    m_controls[static_cast<size_t>(row.control)] = widget;
  }
  setTabOrder();
  buildMenu();
  setClientSize(design.clientWidth, design.clientHeight);
  wireEvents();
}

QWidget* UpdateWindow::buildControl(const ControlDesign& row) {
  switch (row.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(m_client);
      applyFont(*label, row.font);
      label->setTextFormat(Qt::PlainText);
      label->setMargin(0);
      if (row.align == TextAlign::Right) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      label->setText(QString::fromUtf8(row.text));
      label->move(row.left, row.top);
      label->adjustSize();
      // A label with a design box keeps that box until it gets a text.
      if (row.width > 0) label->setGeometry(row.left, row.top, row.width, row.height);
      return label;
    }
    case ControlKind::CheckList: {
      const CheckListDesign& list = m_design.checkList;
      auto* checkList = new CheckList(list.columns, list.itemHeight, m_client);
      applyFont(*checkList, row.font);
      checkList->setGeometry(row.left, row.top, row.width, row.height);
      checkList->fitColumns();
      for (std::string_view item : list.items) checkList->addItemText(std::string(item));
      return checkList;
    }
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(m_client);
      applyFont(*bar, row.font);
      bar->setGeometry(row.left, row.top, row.width, row.height);
      bar->setRange(m_design.progressBar.minimum, m_design.progressBar.maximum);
      bar->setValue(m_design.progressBar.minimum);
      bar->setTextVisible(false);
      bar->setFocusPolicy(Qt::NoFocus);
      return bar;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(QString::fromUtf8(row.text), m_client);
      applyFont(*button, row.font);
      button->setGeometry(row.left, row.top, row.width, row.height);
      button->setAutoDefault(false);
      return button;
    }
  }
  return nullptr;
}

void UpdateWindow::setTabOrder() {
  // The designed keyboard order among the controls that take the focus at all.
  std::vector<const ControlDesign*> order;
  for (const ControlDesign& row : m_design.controls) {
    if (row.tabOrder >= 0 && control(row.control)->focusPolicy() != Qt::NoFocus) {
      order.push_back(&row);
    }
  }
  std::sort(order.begin(), order.end(), [](const ControlDesign* a, const ControlDesign* b) {
    return a->tabOrder < b->tabOrder;
  });
  for (size_t i = 1; i < order.size(); ++i) {
    QWidget::setTabOrder(control(order[i - 1]->control), control(order[i]->control));
  }
}

void UpdateWindow::buildMenu() {
  const MenuDesign& design = m_design.menu;
  // The menu bar belongs to the frame, above the client area, on every desktop.
  menuBar()->setNativeMenuBar(false);
  menuBar()->setObjectName(QString::fromUtf8(design.barName));
  QMenu* menu = menuBar()->addMenu(QString::fromUtf8(design.text));
  menu->setObjectName(QString::fromUtf8(design.name));
  for (const MenuItemDesign& item : design.items) {
    QAction* action = menu->addAction(QString::fromUtf8(item.text));
    action->setObjectName(QString::fromUtf8(item.name));
    m_menuActions[static_cast<size_t>(item.command)] = action;
  }
}

void UpdateWindow::wireEvents() {
  auto* downLoad = static_cast<QPushButton*>(control(Control::DownLoadButton));
  auto* cancel = static_cast<QPushButton*>(control(Control::CancelButton));
  connect(downLoad, &QPushButton::clicked, this, [this] {
    if (m_events) m_events->onDownLoadClick();
  });
  connect(cancel, &QPushButton::clicked, this, [this] {
    if (m_events) m_events->onCancelClick();
  });
  connect(checkList(), &CheckList::userTicked, this, [this] {
    if (m_events) m_events->onCheckListClickCheck();
  });
  connect(menuAction(MenuCommand::ProxyIP), &QAction::triggered, this, [this] {
    if (m_events) m_events->onProxyIPMenuClick();
  });
  connect(menuAction(MenuCommand::ProxyPort), &QAction::triggered, this, [this] {
    if (m_events) m_events->onProxyPortMenuClick();
  });
}

CheckList* UpdateWindow::checkList() const {
  return static_cast<CheckList*>(control(Control::CheckListBox1));
}

QProgressBar* UpdateWindow::progressBar() const {
  return static_cast<QProgressBar*>(control(Control::ProgressBar));
}

void UpdateWindow::setCaption(Control c, const QString& text) {
  QWidget* widget = control(c);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
    label->adjustSize();
    // A right-aligned label grows to the left: its right edge stays where it was designed.
    const ControlDesign& row = m_design.control(c);
    if (row.align == TextAlign::Right) label->move(row.left + row.width - label->width(), row.top);
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    button->setText(text);
  }
}

QString UpdateWindow::caption(Control c) const {
  QWidget* widget = control(c);
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  return {};
}

void UpdateWindow::setClientSize(int width, int height) {
  m_client->setFixedSize(width, height);
  // The frame follows the fixed client area and the menu bar; the user cannot resize it.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  layout()->activate();
}

bool UpdateWindow::event(QEvent* event) {
  // Every activation counts, not only the first: the logic repeats its ready steps each time.
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::WindowActivate && m_events) m_events->onActivate();
  return handled;
}

void UpdateWindow::closeEvent(QCloseEvent* event) {
  if (m_events && !m_events->onClose()) {
    event->ignore();
    return;
  }
  m_closed = true;
  event->accept();
}

}  // namespace platform::qt
