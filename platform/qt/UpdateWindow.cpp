// The update window's widgets at their designed pixel places, and the events they raise.
#include "platform/qt/UpdateWindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include "platform/qt/CheckList.h"

namespace platform::qt {

namespace {

constexpr int kClientWidth = 506;
// The right edge of the right-aligned progress label (431 + 66).
constexpr int kProgressLabelRight = 497;
constexpr int kClientHeight = 288;

// The window was laid out for this face at these pixel heights; pixel sizes keep the layout
// independent of the desktop's font scaling.
QFont formFont(int pixelSize) {
  QFont font(QString::fromUtf8("ＭＳ ゴシック"));
  font.setPixelSize(pixelSize);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

const char* const kStandards[] = {
    "国土交通省電子納品基準",
    "農林水産省電子納品基準",
    "愛媛県電子納品基準",
    "高知県電子納品基準",
    "香川県電子納品基準",
    "日本道路公団",
    "水資源機構",
    "山口県電子納品基準",
    "営繕工事電子納品基準",
    "国土交通省（機械設備）",
    "国土交通省（電気通信設備）",
    "香川県農政水産部",
    "徳島県電子納品基準",
    "山口県農林水産部",
    "徳島県農林水産部",
};

}  // namespace

UpdateWindow::UpdateWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QString::fromUtf8("【Brevan】アップデートプログラム"));
  // A fixed dialog-like frame: system menu and close box, no minimise or maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  m_client = new QWidget(this);
  m_client->setObjectName(QStringLiteral("TMainForm"));
  m_client->setFont(formFont(12));
  setCentralWidget(m_client);

  m_label2 = addLabel("Label2", "アップデート基準選択", 8, 8);
  m_label3 =
      addLabel("Label3", "(選択しない基準がインストールされていた場合は削除されます)", 8, 24);

  m_checkList = new CheckList(2, 13, m_client);
  m_checkList->setObjectName(QStringLiteral("CheckListBox1"));
  m_checkList->setFont(formFont(13));
  m_checkList->setGeometry(8, 40, 489, 149);
  m_checkList->fitColumns();
  for (const char* text : kStandards) m_checkList->addItemText(text);

  m_msgLabel = addLabel("MsgLabel", "XXX", 8, 203);

  m_progressBar = new QProgressBar(m_client);
  m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
  m_progressBar->setGeometry(8, 217, 489, 16);
  m_progressBar->setRange(0, 100);
  m_progressBar->setValue(0);
  m_progressBar->setTextVisible(false);

  m_progressLabel = addLabel("ProgressLabel", "XXXXXXXXXXX", 431, 239);
  m_progressLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_progressLabel->setGeometry(431, 239, 66, 12);  // its design box, until it gets a text

  m_nowVersionLabel = addLabel("NowVersionLabel", "NowVersion", 10, 246);
  m_upVersionLabel = addLabel("UpVersionLabel", "UpVersion", 10, 262);

  m_downLoadButton = addButton("DownLoadButton", "アップデート開始");
  m_cancelButton = addButton("CancelButton", "ｷｬﾝｾﾙ");

  // Keyboard order of the window: start button, list, cancel button. The bar sits between
  // the button and the list in the designed order but never takes the focus.
  setTabOrder(m_downLoadButton, m_checkList);
  setTabOrder(m_checkList, m_cancelButton);

  buildMenu();
  setClientSize(kClientWidth, kClientHeight);
  wireEvents();
}

QLabel* UpdateWindow::addLabel(const char* name, const char* text, int left, int top) {
  auto* label = new QLabel(QString::fromUtf8(text), m_client);
  label->setObjectName(QString::fromUtf8(name));
  label->setTextFormat(Qt::PlainText);
  label->setMargin(0);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QPushButton* UpdateWindow::addButton(const char* name, const char* text) {
  auto* button = new QPushButton(QString::fromUtf8(text), m_client);
  button->setObjectName(QString::fromUtf8(name));
  button->setGeometry(386, 255, 111, 25);
  button->setAutoDefault(false);
  QPalette palette = button->palette();
  palette.setColor(QPalette::ButtonText, Qt::black);
  button->setPalette(palette);
  return button;
}

void UpdateWindow::buildMenu() {
  // The menu bar belongs to the frame, above the client area, on every desktop.
  menuBar()->setNativeMenuBar(false);
  menuBar()->setObjectName(QStringLiteral("MainMenu1"));
  QMenu* settings = menuBar()->addMenu(QString::fromUtf8("設定"));
  settings->setObjectName(QStringLiteral("N1"));
  m_proxyIPMenu = settings->addAction(QString::fromUtf8("プロキシIP"));
  m_proxyIPMenu->setObjectName(QStringLiteral("ProxyIPMenu"));
  m_proxyPortMenu = settings->addAction(QString::fromUtf8("プロキシPort"));
  m_proxyPortMenu->setObjectName(QStringLiteral("ProxyPortMenu"));
}

void UpdateWindow::wireEvents() {
  connect(m_downLoadButton, &QPushButton::clicked, this, [this] {
    if (m_events) m_events->onDownLoadClick();
  });
  connect(m_cancelButton, &QPushButton::clicked, this, [this] {
    if (m_events) m_events->onCancelClick();
  });
  connect(m_checkList, &CheckList::userTicked, this, [this] {
    if (m_events) m_events->onCheckListClickCheck();
  });
  connect(m_proxyIPMenu, &QAction::triggered, this, [this] {
    if (m_events) m_events->onProxyIPMenuClick();
  });
  connect(m_proxyPortMenu, &QAction::triggered, this, [this] {
    if (m_events) m_events->onProxyPortMenuClick();
  });
}

QWidget* UpdateWindow::control(Control c) const {
  switch (c) {
    case Control::Label2:
      return m_label2;
    case Control::Label3:
      return m_label3;
    case Control::CheckListBox1:
      return m_checkList;
    case Control::MsgLabel:
      return m_msgLabel;
    case Control::ProgressBar:
      return m_progressBar;
    case Control::ProgressLabel:
      return m_progressLabel;
    case Control::NowVersionLabel:
      return m_nowVersionLabel;
    case Control::UpVersionLabel:
      return m_upVersionLabel;
    case Control::DownLoadButton:
      return m_downLoadButton;
    case Control::CancelButton:
      return m_cancelButton;
  }
  return nullptr;
}

void UpdateWindow::setCaption(Control c, const QString& text) {
  QWidget* widget = control(c);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
    label->adjustSize();
    // The right-aligned label grows to the left: its right edge stays where it was designed.
    if (label == m_progressLabel) label->move(kProgressLabelRight - label->width(), label->y());
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
