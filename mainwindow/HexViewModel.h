#pragma once

#include <QAbstractListModel>
#include <cstdint>
#include <memory>
#include <vector>

#include "MemoryImage.h"

// One list of the hex view as a Qt model. Rows hold no objects and no texts:
// a row's text is made from the bytes only when a view draws it (or asks for
// it), so 65,536 rows cost nothing until they are seen.
class HexViewModel final : public QAbstractListModel {
  Q_OBJECT
 public:
  enum class Column { Address, Data, Asci };
  // The bytes the data rows were filled from, shared by the data and
  // character lists; frozen so that the view never shows a half-changed image.
  using Snapshot = std::shared_ptr<const std::vector<std::uint8_t>>;

  explicit HexViewModel(Column column, QObject* parent = nullptr);

  // Address rows for `size` bytes, or placeholder rows for the other two lists.
  void fillRows(std::int32_t size);
  // Data or character rows from the bytes (Fill_Data_Rows).
  void Fill_Data_Rows(Snapshot bytes, std::int32_t size);

  // Copies the first `size` bytes of the image, zero-padded to whole rows.
  static Snapshot takeSnapshot(const MemoryImage& image, std::int32_t size);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // The entry text of a row in this list's layout (bytes 80h-FFh as
  // Latin-1 characters, control characters unchanged).
  QString entry(int row) const;

 private:
  void setRows(int rows, Snapshot bytes);

  Column column_;
  int rows_ = 0;
  Snapshot bytes_;  // null: placeholder rows
};
