#include "mainwindow/Screenshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cstring>

namespace {

// A text in the first rows, then a byte ramp: the character column shows
// words, digits and letters, the byte column counts up.
void Put_Pattern(std::vector<std::uint8_t>& chip) {
  static constexpr char kBanner[] = "VeskEprom demo chip * 27-series UV EPROM * Linux";
  for (std::size_t i = 0; i < chip.size(); ++i) chip[i] = static_cast<std::uint8_t>(i);
  std::memcpy(chip.data(), kBanner, std::min(chip.size(), sizeof kBanner - 1));
}

void Let_The_Window_Settle() {
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

}  // namespace

bool Take_Screenshot(FrmMain& window, BoardSimulator& simulator, const QString& file) {
  std::vector<std::uint8_t>& chip = simulator.Chip();
  if (std::all_of(chip.begin(), chip.end(), [](std::uint8_t b) { return b == 0xFF; })) {
    Put_Pattern(chip);
  }
  Let_The_Window_Settle();
  window.MnuRead_Click();
  HexView::Set_Selected_Row(window.View().Lst_Address, 4);
  Let_The_Window_Settle();
  return window.grab().save(file, "PNG");
}
