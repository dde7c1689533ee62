#include "BoxTitle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QSpacerItem>
#include <algorithm>

namespace {

// Beside the title, a title bar holds the window's icon and its buttons
// (minimise, maximise, close) with some padding.
constexpr int kTitleBarControlsWidth = 140;
constexpr qreal kMinimumTitlePointSize = 11;

}  // namespace

QFont titleBarFont() {
  QFont font = QApplication::font();
  font.setBold(true);
  if (font.pointSizeF() > 0) {
    font.setPointSizeF(std::max(font.pointSizeF(), kMinimumTitlePointSize));
  }
  return font;
}

void fitBoxToTitle(QMessageBox& box) {
  const int width =
      QFontMetrics(titleBarFont()).horizontalAdvance(box.windowTitle()) + kTitleBarControlsWidth;
  // The box fixes its size from its layout's minimum when it is shown: an
  // empty row across the layout holds that minimum up.
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) {
    box.layout()->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed));
    return;
  }
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}
