#pragma once

#include <QPointer>
#include <QProgressBar>

#include "ProgressThrottle.h"
#include "UserInterfaces.h"

// ProgressBar1 for the read and programming loops, which report every byte
// and keep the thread busy until they end. The bar is redrawn a few times a
// second, paint events only: the window stays shut to user input meanwhile.
class BoardProgress final : public Progress {
 public:
  void setBar(QProgressBar* bar) { bar_ = bar; }

  void setVisible(bool visible) override;
  void setMaximum(std::int32_t maximum) override;
  void setValue(std::int32_t value) override;

 private:
  void repaint();

  QPointer<QProgressBar> bar_;
  ProgressThrottle throttle_;
};
