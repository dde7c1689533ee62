#pragma once

#include <QMargins>
#include <QObject>
#include <QSize>
#include <QWidget>
#include <optional>

// Sizes and places a top-level window by its outer frame, title bar and
// borders included. The window manager adds the frame only once the window
// is shown, so the window is fitted now, by the frame known so far (none
// before it is shown), and again once it has been framed; after that, a size
// or a place the user gives it (maximising it, say) is left alone.
class OuterFrame final : public QObject {
 public:
  explicit OuterFrame(QWidget* window);

  // The window's outer size, frame included.
  void setOuterSize(QSize size);
  // Centres the window's frame on its screen.
  void centreOnScreen();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QMargins frame() const;
  void fit();

  QWidget* window_;
  std::optional<QSize> outerSize_;
  bool centred_ = false;
  std::optional<QMargins> fittedFor_;  // the frame the window was last fitted by
  bool framed_ = false;                // fitted by the window manager's frame: done
};
