// The standards list: a check-list box that shows its items in columns, filled top to bottom.
#pragma once

#include <QListWidget>
#include <string>
#include <vector>

namespace platform::qt {

class CheckList : public QListWidget {
  Q_OBJECT

 public:
  // `columns` columns of equal width share the inner width; every row is `itemHeight` pixels.
  CheckList(int columns, int itemHeight, QWidget* parent = nullptr);

  void addItemText(const std::string& text);
  std::string itemText(int index) const;
  // Out-of-range indexes read as unticked and are ignored when set.
  bool isTicked(int index) const;
  // A tick set by the program does not raise userTicked.
  void setTicked(int index, bool ticked);
  // Shares the inner width out among the columns; runs on every resize, and by hand after a
  // geometry change while hidden (a hidden widget hears of its new size only when shown).
  void fitColumns();

 signals:
  // The user changed the tick of the item at `index` (mouse or space key); it is current now.
  void userTicked(int index);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void onItemChanged(QListWidgetItem* item);

  int m_columns;
  int m_itemHeight;
  bool m_programTick = false;
  // The ticks as last seen, so text changes or repeated notifications are not taken for clicks.
  std::vector<bool> m_ticks;
};

}  // namespace platform::qt
