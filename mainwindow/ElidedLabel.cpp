#include "ElidedLabel.h"

#include <QPainter>
#include <QStyle>

QString ElidedLabel::displayedText() const {
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
  // QLabel would draw the whole text and cut it at the edge, mid-character.
  QPainter painter(this);
  drawFrame(&painter);
  style()->drawItemText(&painter, contentsRect(),
                        QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                        isEnabled(), displayedText(), foregroundRole());
}
