#include "HexViewModel.h"

#include <algorithm>
#include <string>

#include "HexRows.h"

HexViewModel::HexViewModel(Column column, QObject* parent)
    : QAbstractListModel(parent), column_(column) {}

void HexViewModel::fillRows(std::int32_t size) {
  setRows(hexRowCount(size), nullptr);
}

void HexViewModel::Fill_Data_Rows(Snapshot bytes, std::int32_t size) {
  setRows(hexRowCount(size), std::move(bytes));
}

HexViewModel::Snapshot HexViewModel::takeSnapshot(const MemoryImage& image, std::int32_t size) {
  const std::int32_t rows = hexRowCount(std::max(size, 0));
  auto bytes = std::make_shared<std::vector<std::uint8_t>>(
      static_cast<std::size_t>(rows) * kBytesPerRow, std::uint8_t{0});
  const std::int32_t available = std::clamp(image.size(), 0, rows * kBytesPerRow);
  std::copy_n(image.data(), available, bytes->begin());
  return bytes;
}

void HexViewModel::setRows(int rows, Snapshot bytes) {
  if (column_ == Column::Address) bytes = nullptr;
  if (rows == rows_) {
    // Same row count: the views keep their selection and scroll position and
    // only redraw the rows they show.
    bytes_ = std::move(bytes);
    if (rows_ > 0) emit dataChanged(index(0), index(rows_ - 1), {Qt::DisplayRole});
    return;
  }
  beginResetModel();
  rows_ = rows;
  bytes_ = std::move(bytes);
  endResetModel();
}

int HexViewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

QVariant HexViewModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rows_) return {};
  return entry(index.row());
}

QString HexViewModel::entry(int row) const {
  if (row < 0 || row >= rows_) return {};
  std::string text;
  if (column_ == Column::Address) {
    text = addressEntry(row);
  } else if (!bytes_) {
    text = column_ == Column::Data ? kPlaceholderDataEntry : kPlaceholderAsciEntry;
  } else {
    const std::uint8_t* rowBytes = bytes_->data() + static_cast<std::size_t>(row) * kBytesPerRow;
    text = column_ == Column::Data ? dataEntry(rowBytes) : asciEntry(rowBytes);
  }
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
