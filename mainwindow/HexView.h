#pragma once

#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QWidget>
#include <cstdint>

#include "HexViewModel.h"
#include "MemoryImage.h"

// The hex dump: Label2's header over three lists that read as one table
// (addresses, bytes, characters) and ProgressBar1 below them, all in Frame1.
// Row n of each list describes chip locations 16n to 16n + 15; the lists
// are kept on the same selected row and the same top row.
class HexView final : public QWidget {
  Q_OBJECT
 public:
  explicit HexView(QWidget* parent = nullptr);

  QLabel* Label2;  // the column header over the lists
  QFrame* Frame1;  // around the lists and the progress bar
  QListView* Lst_Address;
  QListView* Lst_Data;
  QListView* Lst_Asci;
  QProgressBar* ProgressBar1;

  // Lists 280 pixels high instead of 319 (for screens narrower than 800 pixels).
  void setCompact(bool compact);

  // Placeholder rows for an all-zero image of `size` bytes, row 0 selected.
  void Reset_Hex_View(std::int32_t size);
  // Data and character rows from the image; addresses and selections stay.
  void Fill_Data_Rows(const MemoryImage& image, std::int32_t size);
  void hideLists();
  void showLists();
  // After a refill: Lst_Data takes Lst_Address's selected row and brings it
  // into view, the other two lists take its top row, and Lst_Asci its selection.
  void alignSelections();

  // A list's selected row (-1: none) and top row, as the handlers copy them.
  static int selectedRow(const QListView* list);
  static int topRow(const QListView* list);
  static void setSelectedRow(QListView* list, int row);
  static void setTopRow(QListView* list, int row);

  // Selection changed in a list (click, keys, or set by the program).
  void Lst_Address_Click();
  void Lst_Data_Click();
  void Lst_Asci_Click();
  // A list scrolled by its scroll bar, the wheel or the keys.
  void Lst_Address_Scroll();
  void Lst_Data_Scroll();
  void Lst_Asci_Scroll();
  // Any mouse button pressed, or the pointer moved, over the address or data list.
  void Lst_Address_MouseDown();
  void Lst_Data_MouseDown();

  const HexViewModel& addressModel() const { return *addressModel_; }
  const HexViewModel& dataModel() const { return *dataModel_; }
  const HexViewModel& asciModel() const { return *asciModel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListView* makeList(const char* name, HexViewModel* model, Qt::ScrollBarPolicy scrollBar);
  void arrange();
  // Copies S's top row and selection to two lists, in the order of a click.
  void alignAfterClick(QListView* source, QListView* first, QListView* second);
  // Copies S's selection to two lists, then its top row to two lists, in the
  // orders of a scroll.
  void alignAfterScroll(QListView* source, QListView* selection1, QListView* selection2,
                        QListView* top1, QListView* top2);
  void connectHandlers(QListView* list, void (HexView::*clicked)(), void (HexView::*scrolled)());

  HexViewModel* addressModel_;
  HexViewModel* dataModel_;
  HexViewModel* asciModel_;
  bool compact_ = false;
  // While a handler copies values, the changes it makes raise no handler:
  // they would copy values that are already equal.
  bool aligning_ = false;
};
