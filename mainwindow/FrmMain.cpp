#include "FrmMain.h"

#include <fcntl.h>

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QToolButton>
#include <algorithm>
#include <exception>

#include "CheckSum.h"
#include "CommandGuard.h"
#include "FileDescriptor.h"
#include "MainTexts.h"
#include "OuterFrame.h"

// The icons live in a static library: their resource must be registered by hand.
static void initIconResource() {
  Q_INIT_RESOURCE(icons);
}

namespace {

constexpr int kWindowWidth = 643;
constexpr int kWindowHeight = 500;
constexpr int kCompactWindowHeight = 450;
constexpr int kCompactBelowScreenWidth = 800;
constexpr int kStatusFrameHeight = 33;
constexpr int kHexViewTop = 40;  // Label2's top edge, below the status frame
constexpr int kToolbarGap = 8;
constexpr int kToolbarHeight = 40;
// The window's own font and the status labels' bold one, in points.
constexpr qreal kWindowFontPoints = 9.75;
constexpr qreal kStatusFontPoints = 8.25;

// One button of Toolbar1: its key, what it shows, and the command it runs,
// a menu item's, whose action it shares.
struct ToolbarButton {
  const char* key;  // empty: a gap between groups
  const char* tooltip;
  const char* icon;
  void (FrmMain::*command)();
};

constexpr ToolbarButton kGap{"", "", "", nullptr};

constexpr std::array<ToolbarButton, 13> kToolbarButtons{{
    {"Open", "Open File", ":/icons/open.svg", &FrmMain::MnuOpen_Click},
    {"SaveAs", "Save File  As", ":/icons/saveas.svg", &FrmMain::MnuSaveAs_Click},
    kGap,
    {"Read", "Read Eprom", ":/icons/read.svg", &FrmMain::MnuRead_Click},
    {"Write", "Write Eprom", ":/icons/write.svg", &FrmMain::MnuWrite_Click},
    kGap,
    {"Option", "Option", ":/icons/option.svg", &FrmMain::MnuOption_Click},
    kGap,
    {"Convert", "Convert File", ":/icons/convert.svg", &FrmMain::MnuFileConversion_Click},
    {"HexEditor", "Hex Editor", ":/icons/hexeditor.svg", &FrmMain::MnuHexEditor_Click},
    {"CRC32", "Calculate CRC32", ":/icons/crc32.svg", &FrmMain::MnuCRC32_Click},
    kGap,
    {"Help", "Help", ":/icons/help.svg", &FrmMain::Mnuabout_Click},
}};

}  // namespace

FrmMain::FrmMain(MdlGlobal& global, WindowServices services, QWidget* parent)
    : QMainWindow(parent), g_(global), services_(std::move(services)) {
  initIconResource();
  setObjectName(QStringLiteral("FrmMain"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/veskeprom.svg")));
  QFont windowFont = font();
  windowFont.setPointSizeF(kWindowFontPoints);
  setFont(windowFont);
  outerFrame_ = new OuterFrame(this);
  // A right click on the toolbar or the menu bar would pop up the toolbar's
  // show-or-hide item: blank, as the toolbar has no title, and greyed, as
  // the toolbar always stays.
  setContextMenuPolicy(Qt::NoContextMenu);
  buildMenus();
  buildToolbar();
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("Central"));
  setCentralWidget(central);
  buildStatusFrame();
  hexView_ = new HexView(central);
  progress_.setBar(hexView_->ProgressBar1);

  // Start-up: the defaults, then the window's size and caption.
  Set_Defaults();
  arrange(g_.ScreenWidthPx < kCompactBelowScreenWidth);
  setWindowTitle(QString::fromLatin1(kCaption));
  hexView_->Lst_Address->setFocus();
}

FrmMain::~FrmMain() {
  if (busy_) QApplication::restoreOverrideCursor();
}

void FrmMain::addMenuItem(QMenu* menu, const char* name, const char* caption, Command command) {
  QAction* item = menu->addAction(QString::fromLatin1(caption));
  item->setObjectName(QString::fromLatin1(name));
  connect(item, &QAction::triggered, this, [this, item, command] {
    // A click on the item's toolbar button goes to the toolbar's dispatcher.
    if (std::exchange(pressedOnToolbar_, nullptr) == item) {
      Toolbar1_ButtonClick(item->data().toString());
      return;
    }
    runCommand([this, command] { (this->*command)(); }, Failures::Shown);
  });
  commandActions_.emplace_back(command, item);
}

void FrmMain::buildMenus() {
  auto addMenu = [this](QMenu* into, const char* name, const char* caption) {
    QMenu* menu = into ? into->addMenu(QString::fromLatin1(caption))
                       : menuBar()->addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
  };
  MnuFile = addMenu(nullptr, "MnuFile", "&File");
  addMenuItem(MnuFile, "MnuOpen", "&Open", &FrmMain::MnuOpen_Click);
  addMenuItem(MnuFile, "MnuSaveAs", "&Save As", &FrmMain::MnuSaveAs_Click);
  addMenuItem(MnuFile, "MnuExit", "&Exit", &FrmMain::MnuExit_Click);

  MnuAction = addMenu(nullptr, "MnuAction", "&Action");
  addMenuItem(MnuAction, "MnuRead", "&Read Eprom", &FrmMain::MnuRead_Click);
  addMenuItem(MnuAction, "MnuWrite", "&Write Eprom", &FrmMain::MnuWrite_Click);
  addMenuItem(MnuAction, "MnuFill00", "&Fill All with 00", &FrmMain::MnuFill00_Click);

  MnuConfiguration = addMenu(nullptr, "MnuConfiguration", "&Configuration");
  MnuSelectEprom = addMenu(MnuConfiguration, "MnuSelectEprom", "&Select Eprom");
  for (std::size_t i = 0; i < kEpromCatalogue.size(); ++i) {
    const EpromTypeRow& row = kEpromCatalogue[i];
    QAction* item = MnuSelectEprom->addAction(QString::fromLatin1(row.caption));
    item->setObjectName(QString::fromLatin1(row.menuItem));
    item->setCheckable(true);
    item->setEnabled(row.selectable);  // the 274001 and 27080 are shown greyed
    connect(item, &QAction::triggered, this,
            [this, &row] { runCommand([this, &row] { Select_Eprom(row); }, Failures::Shown); });
    typeItems[i] = item;
  }
  addMenuItem(MnuConfiguration, "MnuOption", "&Options", &FrmMain::MnuOption_Click);
  addMenuItem(MnuConfiguration, "MnuDiagnostic", "&Diagnostic", &FrmMain::MnuDiagnostic_Click);

  MnuUtility = addMenu(nullptr, "MnuUtility", "&Utility");
  addMenuItem(MnuUtility, "MnuFileConversion", "&File Conversion",
              &FrmMain::MnuFileConversion_Click);
  addMenuItem(MnuUtility, "MnuHexEditor", "&Hex Editor", &FrmMain::MnuHexEditor_Click);
  addMenuItem(MnuUtility, "MnuCRC32", "&CRC32", &FrmMain::MnuCRC32_Click);

  MnuHelp = addMenu(nullptr, "MnuHelp", "&Help");
  addMenuItem(MnuHelp, "Mnuabout", "&About", &FrmMain::Mnuabout_Click);
  addMenuItem(MnuHelp, "MnuWhatsVESK", "&What's VESK?", &FrmMain::MnuWhatsVESK_Click);
}

void FrmMain::buildToolbar() {
  Toolbar1 = new QToolBar(this);
  Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
  Toolbar1->setMovable(false);
  Toolbar1->setFloatable(false);
  Toolbar1->setIconSize(QSize(32, 32));
  Toolbar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
  Toolbar1->toggleViewAction()->setEnabled(false);
  addToolBar(Qt::TopToolBarArea, Toolbar1);
  for (const ToolbarButton& button : kToolbarButtons) {
    if (button.command == nullptr) {
      auto* gap = new QWidget(Toolbar1);
      gap->setFixedWidth(kToolbarGap);
      Toolbar1->addWidget(gap);
      continue;
    }
    // The menu item's own action, with the button's key, icon and tooltip;
    // the menu shows no icon.
    const auto shared =
        std::find_if(commandActions_.begin(), commandActions_.end(),
                     [&](const auto& entry) { return entry.first == button.command; });
    QAction* action = shared->second;
    action->setData(QString::fromLatin1(button.key));
    action->setIcon(QIcon(QString::fromLatin1(button.icon)));
    action->setIconVisibleInMenu(false);
    action->setToolTip(QString::fromLatin1(button.tooltip));
    Toolbar1->addAction(action);
    auto* toolButton = qobject_cast<QToolButton*>(Toolbar1->widgetForAction(action));
    connect(toolButton, &QToolButton::pressed, this,
            [this, action] { pressedOnToolbar_ = action; });
    connect(toolButton, &QToolButton::released, this, [this] { pressedOnToolbar_ = nullptr; });
  }
}

void FrmMain::buildStatusFrame() {
  Frame2 = new QFrame(centralWidget());
  Frame2->setObjectName(QStringLiteral("Frame2"));
  Frame2->setFrameShape(QFrame::StyledPanel);
  Frame2->setFrameShadow(QFrame::Sunken);
  QFont bold = font();
  bold.setBold(true);
  bold.setPointSizeF(kStatusFontPoints);
  auto makeLabel = [&](auto* label, const char* name) {
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(bold);
    label->setTextFormat(Qt::PlainText);
    return label;
  };
  LblEprom = makeLabel(new QLabel(Frame2), "LblEprom");
  // A long path is shown with "…" in the middle; the tooltip holds it whole.
  LblFileName = makeLabel(new ElidedLabel(Frame2), "LblFileName");
  LblChkSum = makeLabel(new QLabel(Frame2), "LblChkSum");
}

void FrmMain::arrange(bool compact) {
  Toolbar1->setFixedHeight(kToolbarHeight);
  hexView_->setCompact(compact);
  const int width = hexView_->width();
  Frame2->setGeometry(0, 0, width, kStatusFrameHeight);
  const int labelHeight = QFontMetrics(LblEprom->font()).height() + 2;
  const int labelTop = (kStatusFrameHeight - labelHeight) / 2;
  // Design positions of the three labels across a 634-pixel frame.
  LblEprom->setGeometry(8, labelTop, 121, labelHeight);
  LblFileName->setGeometry(144, labelTop, 305, labelHeight);
  LblChkSum->setGeometry(464, labelTop, std::max(161, width - 468), labelHeight);
  hexView_->move(0, kHexViewTop);
  centralWidget()->setMinimumSize(width, kHexViewTop + hexView_->height() + 2);
  // The outer size, frame and title bar included; a wider fixed font widens
  // it through the minimum size above.
  outerFrame_->setOuterSize(QSize(kWindowWidth, compact ? kCompactWindowHeight : kWindowHeight));
}

void FrmMain::Set_Defaults() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  g_.ScreenWidthPx = services_.screenWidth ? services_.screenWidth()
                     : screen              ? screen->geometry().width()
                                           : kCompactBelowScreenWidth;
  Select_Eprom(kEpromCatalogue[kStartUpEpromRow]);
  g_.port = PortSettings{};
  g_.CurrentFileName = kDefaultFileName;
  createDefaultFileIfMissing();
  setFileLabel();
  LblChkSum->setText(QString::fromLatin1(kStartUpCheckSumText));
}

void FrmMain::createDefaultFileIfMissing() {
  // O_EXCL: an existing file, which may hold an image the user saved, is
  // never opened for writing. A folder where the file cannot be made does
  // not stop the start: Open and Save As report their own failures.
  const FileDescriptor created(
      ::open(kDefaultFileName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
}

void FrmMain::setFileLabel() {
  const QString text = QStringLiteral("File: ") + QString::fromStdString(g_.CurrentFileName);
  LblFileName->setText(text);
  LblFileName->setToolTip(text);  // a long path is shortened in the label
}

void FrmMain::Toolbar1_ButtonClick(const QString& key) {
  for (const ToolbarButton& button : kToolbarButtons) {
    if (button.command != nullptr && key == QLatin1String(button.key)) {
      runCommand([this, command = button.command] { (this->*command)(); }, Failures::Quiet);
      return;
    }
  }
}

void FrmMain::runCommand(const std::function<void()>& command, Failures failures) {
  CommandGuard guard(running_);
  if (!guard.entered()) return;
  try {
    command();
  } catch (const std::exception& failure) {
    if (busy_) setBusy(false);
    if (failures == Failures::Shown)
      services_.messages.show("Error", failure.what(), MessageIcon::Critical);
  }
  if (busy_) setBusy(false);
}

void FrmMain::setBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void FrmMain::closeEvent(QCloseEvent* event) {
  // A read or a programming run cannot be cut short.
  if (busy_) {
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
}

void FrmMain::Uncheck_All_Eproms() {
  for (QAction* item : typeItems) item->setChecked(false);
}

void FrmMain::Select_Eprom(const EpromTypeRow& row) {
  Uncheck_All_Eproms();
  const auto position = static_cast<std::size_t>(&row - kEpromCatalogue.data());
  if (position < typeItems.size()) typeItems[position]->setChecked(true);
  selectEpromState(row, g_.EpromType, g_.EpromSize, g_.EpromImage);
  LblEprom->setText(QStringLiteral("Eprom: ") + QString::fromLatin1(row.labelSuffix));
  Reset_Hex_View(g_.EpromSize);
}

void FrmMain::Reset_Hex_View(std::int32_t size) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  hexView_->Reset_Hex_View(size);
  LblChkSum->setText(QString::fromStdString(checkSumText(0)));
  QApplication::restoreOverrideCursor();
}

void FrmMain::Show_Image() {
  showImageRows();
  HexView::setSelectedRow(hexView_->Lst_Address, 0);
  hexView_->Lst_Address->scrollToTop();
  alignListsAndRepaint();
}
