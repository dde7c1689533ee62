#pragma once

#include <QLabel>
#include <QString>

// A one-line label that shows a text too long for it with "…" in the middle,
// so that both ends of a path (where it starts, the file's name) stay
// readable. text() is always the whole text.
class ElidedLabel final : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

  // What the label shows at its present width.
  QString displayedText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
