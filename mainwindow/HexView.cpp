#include "HexView.h"

#include <QEvent>
#include <QFontDatabase>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QtMath>
#include <algorithm>

#include "HexRows.h"

namespace {

// Draws an entry at the left edge of its row, without the style's text
// margin, so that the columns of the three lists stand exactly under the
// header's. Control characters (00h-1Fh, 7Fh-9Fh) are drawn as blanks and the
// soft hyphen as '-': the entry keeps them, but a line break or a tab drawn
// as such would push the row's other characters out of their columns.
class HexRowDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item(option);
    initStyleOption(&item, index);
    // The entry as the model holds it: the style option's text has already
    // had its line feeds turned into line separators.
    const QString text = drawable(index.data(Qt::DisplayRole).toString());
    item.text.clear();
    QStyle* style = item.widget ? item.widget->style() : nullptr;
    if (style) style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
    painter->save();
    painter->setFont(item.font);
    const bool selected = item.state & QStyle::State_Selected;
    painter->setPen(item.palette.color(QPalette::Normal,
                                       selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(item.rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QFontMetrics metrics(option.font);
    const auto length = static_cast<int>(index.data().toString().size());
    return {metrics.horizontalAdvance(QLatin1Char('0')) * length, metrics.height()};
  }

 private:
  static QString drawable(QString text) {
    for (QChar& c : text) {
      const char16_t code = c.unicode();
      if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) c = QLatin1Char(' ');
      if (code == 0xAD) c = QLatin1Char('-');
    }
    return text;
  }
};

constexpr int kListHeight = 319;
constexpr int kCompactListHeight = 280;
constexpr int kMargin = 4;  // between Frame1's border and the lists
constexpr int kProgressGap = 6;
constexpr int kProgressHeight = 13;
// The compact layout's design figures, within Frame1.
constexpr int kCompactProgressTop = 290;
constexpr int kCompactFrameHeight = 306;
constexpr int kDesignFrameWidth = 634;
// Character columns of the header where the byte and character lists begin.
constexpr int kDataColumn = 9;
constexpr int kAsciColumn = kDataColumn + kDataEntryLength;

}  // namespace

HexView::HexView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("HexView"));
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  Label2 = new QLabel(this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setFont(fixed);
  Label2->setContentsMargins(0, 0, 0, 0);
  Label2->setTextFormat(Qt::PlainText);

  Frame1 = new QFrame(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setFrameShape(QFrame::StyledPanel);
  Frame1->setFrameShadow(QFrame::Sunken);

  addressModel_ = new HexViewModel(HexViewModel::Column::Address, this);
  dataModel_ = new HexViewModel(HexViewModel::Column::Data, this);
  asciModel_ = new HexViewModel(HexViewModel::Column::Asci, this);
  // Only the character list shows its scroll bar: the three read as one table.
  Lst_Address = makeList("Lst_Address", addressModel_, Qt::ScrollBarAlwaysOff);
  Lst_Data = makeList("Lst_Data", dataModel_, Qt::ScrollBarAlwaysOff);
  Lst_Asci = makeList("Lst_Asci", asciModel_, Qt::ScrollBarAlwaysOn);
  for (QListView* list : {Lst_Address, Lst_Data, Lst_Asci}) list->setFont(fixed);

  ProgressBar1 = new QProgressBar(Frame1);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setRange(0, 1);
  ProgressBar1->setValue(0);
  ProgressBar1->hide();

  connectHandlers(Lst_Address, &HexView::Lst_Address_Click, &HexView::Lst_Address_Scroll);
  connectHandlers(Lst_Data, &HexView::Lst_Data_Click, &HexView::Lst_Data_Scroll);
  connectHandlers(Lst_Asci, &HexView::Lst_Asci_Click, &HexView::Lst_Asci_Scroll);
  for (QListView* list : {Lst_Address, Lst_Data}) {
    list->viewport()->setMouseTracking(true);
    list->viewport()->installEventFilter(this);
  }
  // The address list takes the keyboard focus when the window opens.
  setFocusProxy(Lst_Address);
  setTabOrder(Lst_Address, Lst_Data);
  setTabOrder(Lst_Data, Lst_Asci);
  arrange();
}

QListView* HexView::makeList(const char* name, HexViewModel* model, Qt::ScrollBarPolicy scrollBar) {
  auto* list = new QListView(Frame1);
  list->setObjectName(QString::fromLatin1(name));
  list->setModel(model);
  list->setItemDelegate(new HexRowDelegate(list));
  list->setUniformItemSizes(true);  // no per-row measuring: 65,536 rows lay out at once
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);  // scroll value = top row
  list->setVerticalScrollBarPolicy(scrollBar);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setFrameShape(QFrame::NoFrame);
  list->setTextElideMode(Qt::ElideNone);
  return list;
}

void HexView::connectHandlers(QListView* list, void (HexView::*clicked)(),
                              void (HexView::*scrolled)()) {
  const auto selectionChanged = [this, clicked] {
    if (!aligning_) (this->*clicked)();
  };
  connect(list->selectionModel(), &QItemSelectionModel::currentChanged, this, selectionChanged);
  connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this, selectionChanged);
  connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, scrolled] {
    if (!aligning_) (this->*scrolled)();
  });
}

void HexView::setCompact(bool compact) {
  compact_ = compact;
  arrange();
}

void HexView::arrange() {
  // Character cells are not whole pixels wide: place the columns from the
  // exact advance, so that no list clips its last character.
  const qreal advance = QFontMetricsF(Lst_Data->font()).horizontalAdvance(QLatin1Char('0'));
  const auto columns = [advance](int count) { return qCeil(count * advance); };
  const int scrollBar = Lst_Asci->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                       Lst_Asci->verticalScrollBar());
  const int border = Frame1->frameWidth();
  const int left = border + kMargin;
  const int listHeight = compact_ ? kCompactListHeight : kListHeight;
  const int asciLeft = left + columns(kAsciColumn);
  const int neededWidth =
      asciLeft + columns(kAsciEntryLength) + kMargin + scrollBar + kMargin + border;
  const int frameWidth = std::max(kDesignFrameWidth, neededWidth);

  const int labelHeight = QFontMetrics(Label2->font()).height();
  Label2->setGeometry(left, 0, std::max(columns(kHexHeaderText.size()) + 2, frameWidth - left),
                      labelHeight);
  Lst_Address->setGeometry(left, left, columns(kDataColumn), listHeight);
  Lst_Data->setGeometry(left + columns(kDataColumn), left,
                        columns(kAsciColumn) - columns(kDataColumn), listHeight);
  // The character list takes what is left, so its scroll bar closes the table on the right.
  Lst_Asci->setGeometry(asciLeft, left, frameWidth - border - kMargin - asciLeft, listHeight);
  const int progressTop = compact_ ? kCompactProgressTop : left + listHeight + kProgressGap;
  ProgressBar1->setGeometry(left, progressTop, frameWidth - 2 * left, kProgressHeight);
  const int frameHeight =
      compact_ ? kCompactFrameHeight : progressTop + kProgressHeight + kMargin + border;
  Frame1->setGeometry(0, labelHeight + 2, frameWidth, frameHeight);
  setFixedSize(frameWidth, Frame1->geometry().bottom() + 1);
}

int HexView::selectedRow(const QListView* list) {
  const QModelIndex current = list->currentIndex();
  return current.isValid() && list->selectionModel()->isSelected(current) ? current.row() : -1;
}

int HexView::topRow(const QListView* list) {
  return list->verticalScrollBar()->value();
}

void HexView::setSelectedRow(QListView* list, int row) {
  if (row == selectedRow(list)) return;
  if (row < 0 || row >= list->model()->rowCount()) {
    list->selectionModel()->clear();
    return;
  }
  list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                          QItemSelectionModel::ClearAndSelect);
}

void HexView::setTopRow(QListView* list, int row) {
  list->verticalScrollBar()->setValue(row);
}

void HexView::hideLists() {
  Lst_Address->hide();
  Lst_Data->hide();
  Lst_Asci->hide();
}

void HexView::showLists() {
  Lst_Address->show();
  Lst_Data->show();
  Lst_Asci->show();
}

void HexView::Reset_Hex_View(std::int32_t size) {
  Label2->setText(
      QString::fromLatin1(kHexHeaderText.data(), static_cast<qsizetype>(kHexHeaderText.size())));
  hideLists();
  aligning_ = true;
  addressModel_->fillRows(size);
  dataModel_->fillRows(size);
  asciModel_->fillRows(size);
  for (QListView* list : {Lst_Address, Lst_Data, Lst_Asci}) {
    list->selectionModel()->clear();
    list->doItemsLayout();  // scroll ranges for the new row count now, not at the next event
    setTopRow(list, 0);
  }
  aligning_ = false;
  setSelectedRow(Lst_Address, 0);
  setSelectedRow(Lst_Data, selectedRow(Lst_Address));
  setSelectedRow(Lst_Asci, selectedRow(Lst_Data));
  showLists();
}

void HexView::Fill_Data_Rows(const MemoryImage& image, std::int32_t size) {
  const HexViewModel::Snapshot bytes = HexViewModel::takeSnapshot(image, size);
  aligning_ = true;
  dataModel_->Fill_Data_Rows(bytes, size);
  asciModel_->Fill_Data_Rows(bytes, size);
  aligning_ = false;
}

void HexView::alignSelections() {
  setSelectedRow(Lst_Data, selectedRow(Lst_Address));
  // Refilled, the byte list starts again at its first row and brings its
  // selected row into view; the other two take the top row it then shows.
  aligning_ = true;
  setTopRow(Lst_Data, 0);
  if (const QModelIndex selected = Lst_Data->currentIndex(); selected.isValid())
    Lst_Data->scrollTo(selected, QAbstractItemView::EnsureVisible);
  aligning_ = false;
  Lst_Data_Click();
  setSelectedRow(Lst_Asci, selectedRow(Lst_Data));
}

void HexView::alignAfterClick(QListView* source, QListView* first, QListView* second) {
  aligning_ = true;
  setTopRow(first, topRow(source));
  setSelectedRow(first, selectedRow(source));
  setTopRow(second, topRow(source));
  setSelectedRow(second, selectedRow(source));
  aligning_ = false;
}

void HexView::Lst_Address_Click() {
  alignAfterClick(Lst_Address, Lst_Data, Lst_Asci);
}
void HexView::Lst_Data_Click() {
  alignAfterClick(Lst_Data, Lst_Address, Lst_Asci);
}
void HexView::Lst_Asci_Click() {
  alignAfterClick(Lst_Asci, Lst_Data, Lst_Address);
}

void HexView::alignAfterScroll(QListView* source, QListView* selection1, QListView* selection2,
                               QListView* top1, QListView* top2) {
  aligning_ = true;
  setSelectedRow(selection1, selectedRow(source));
  setSelectedRow(selection2, selectedRow(source));
  setTopRow(top1, topRow(source));
  setTopRow(top2, topRow(source));
  aligning_ = false;
}

void HexView::Lst_Address_Scroll() {
  alignAfterScroll(Lst_Address, Lst_Data, Lst_Asci, Lst_Data, Lst_Asci);
}
void HexView::Lst_Data_Scroll() {
  alignAfterScroll(Lst_Data, Lst_Address, Lst_Asci, Lst_Address, Lst_Asci);
}
void HexView::Lst_Asci_Scroll() {
  alignAfterScroll(Lst_Asci, Lst_Data, Lst_Address, Lst_Address, Lst_Data);
}

void HexView::Lst_Address_MouseDown() {
  Lst_Address_Click();
  Lst_Asci_Click();
}

void HexView::Lst_Data_MouseDown() {
  Lst_Data_Click();
  Lst_Asci_Click();
}

bool HexView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove) {
    if (watched == Lst_Address->viewport()) Lst_Address_MouseDown();
    if (watched == Lst_Data->viewport()) Lst_Data_MouseDown();
  }
  return QWidget::eventFilter(watched, event);
}
