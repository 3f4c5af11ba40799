// The standards list: a check-list box that shows its items in columns, filled top to bottom.
#include "platform/qt/CheckList.h"

#include <QResizeEvent>

namespace platform::qt {

CheckList::CheckList(int columns, int itemHeight, QWidget* parent)
    : QListWidget(parent), m_columns(columns), m_itemHeight(itemHeight) {
  // A sunken two-pixel border, as the list had on Windows: the rows fit in what is left inside.
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  setViewMode(QListView::ListMode);
  setFlow(QListView::TopToBottom);
  setWrapping(true);
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setSpacing(0);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // The fixed fifteen items fit; a bar that might appear would take its height off the rows.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(this, &QListWidget::itemChanged, this, &CheckList::onItemChanged);
  fitColumns();
}

void CheckList::addItemText(const std::string& text) {
  auto* item = new QListWidgetItem(QString::fromStdString(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Unchecked);
  item->setSizeHint(QSize(-1, m_itemHeight));
  m_programTick = true;
  addItem(item);
  m_programTick = false;
  m_ticks.push_back(false);
}

std::string CheckList::itemText(int index) const {
  const QListWidgetItem* it = item(index);
  return it ? it->text().toStdString() : std::string();
}

bool CheckList::isTicked(int index) const {
  const QListWidgetItem* it = item(index);
  return it && it->checkState() == Qt::Checked;
}

void CheckList::setTicked(int index, bool ticked) {
  QListWidgetItem* it = item(index);
  if (!it) return;
  m_programTick = true;
  it->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  m_programTick = false;
  m_ticks[static_cast<size_t>(index)] = ticked;
}

void CheckList::onItemChanged(QListWidgetItem* changed) {
  const int index = row(changed);
  if (m_programTick || index < 0 || static_cast<size_t>(index) >= m_ticks.size()) return;
  const bool ticked = changed->checkState() == Qt::Checked;
  if (ticked == m_ticks[static_cast<size_t>(index)]) return;
  m_ticks[static_cast<size_t>(index)] = ticked;
  // The handler reads the changed item as the current one, whichever way it was changed.
  if (currentRow() != index) setCurrentRow(index);
  emit userTicked(index);
}

void CheckList::resizeEvent(QResizeEvent* event) {
  QListWidget::resizeEvent(event);
  fitColumns();
}

void CheckList::fitColumns() {
  // A row per item height, as many rows as fit; the rest wrap into the next column.
  const int inner = width() - 2 * frameWidth();
  setGridSize(QSize(m_columns > 0 ? inner / m_columns : inner, m_itemHeight));
}

}  // namespace platform::qt
