#include "ui/Form1.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResource>

#include "dialogs/OpenSave.h"
#include "model/BankOffsetSync.h"
#include "transfers/FileHeader.h"
#include "transfers/TransferBank.h"
#include "transfers/TransferRange.h"
#include "transfers/UndoTransfer.h"
#include "ui/FileDrop.h"

namespace zarvello {
namespace {

constexpr int kTwipsPerPixel = 15;

QRect FromTwips(int left, int top, int width, int height) {
  const auto pixels = [](int twips) { return (2 * twips + kTwipsPerPixel) / (2 * kTwipsPerPixel); };
  return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

// Courier New, as designed; where it is missing, a fixed-pitch font all the
// same. First its metric twin Liberation Mono, which fontconfig puts in its
// place on Linux and Wine finds on the host: on Windows the hint only asks for
// Courier New again. Then, through the hint, the system's monospace font.
QFont BoxFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
  font.setStyleHint(QFont::Monospace);
  font.setPointSizeF(9.75);
  return font;
}

template <typename Control>
Control* Place(QWidget* parent, const QString& name, const QRect& geometry,
               const QString& accessibleName) {
  auto* control = new Control(parent);
  control->setObjectName(name);
  control->setGeometry(geometry);
  control->setAccessibleName(accessibleName);
  return control;
}

QString Indexed(const char* name, int side) {
  return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(side);
}

// A list takes its font without building its popup: QComboBox builds the
// popup at a font change, though a popup built when first opened takes the
// list's font all the same. Five popups, each a list view, would cost
// start-up most of a megabyte.
void SetListFont(QComboBox* list, const QFont& font) {
  struct SkipFontChange : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      return event->type() == QEvent::FontChange;
    }
  } skip;
  list->installEventFilter(&skip);
  list->setFont(font);
}

QComboBox* PlaceList(QWidget* parent, const QString& name, const QRect& geometry,
                     const QString& accessibleName) {
  auto* list = Place<QComboBox>(parent, name, geometry, accessibleName);
  SetListFont(list, BoxFont());
  return list;
}

// Lists start with no entry selected, as the design has them; a Qt combo box
// would select its first entry as soon as it is added.
template <typename Choices>
void AddChoices(QComboBox* list, const Choices& choices) {
  for (const auto& choice : choices) {
    list->addItem(QString::fromUtf8(choice.text.data(), static_cast<int>(choice.text.size())));
  }
  list->setCurrentIndex(kNoSelection);
}

void SelectText(QComboBox* list, const QString& text) {
  list->setCurrentIndex(list->findText(text));
}

// The file layer takes paths as UTF-8 on every system; Qt's own 8-bit
// file names are the ANSI code page on Windows.
QString PathText(const std::string& path) { return QString::fromStdString(path); }

// The icon's pixels as raw bytes, so that start-up loads no image decoder: a
// PNG brings in libpng, and QIcon reading one every image-format plugin. Each
// size the title bar, the taskbar and Alt+Tab draw up to 200 % scaling, drawn
// by scripts/make-icon, so that none is scaled blurry from another.
QIcon Icon() {
  const QResource pixels(QStringLiteral(":/icons/zarvello.rgba"));
  QIcon icon;
  const uchar* next = pixels.data();
  for (const int size : {16, 24, 32, 48, 64}) {
    icon.addPixmap(
        QPixmap::fromImage(QImage(next, size, size, QImage::Format_RGBA8888_Premultiplied)));
    next += 4 * size * size;
  }
  return icon;
}

}  // namespace

Form1::Form1(MessagePrompt& prompt, DialogService& dialogs, QWidget* parent)
    : QWidget(parent), prompt_(prompt), dialogs_(dialogs) {
  CreateControls();
  CreateUndoActions();
  SetTabOrder();
  ConnectControls();
  RunStartUpDefaults();
}

void Form1::CreateControls() {
  setWindowTitle(QStringLiteral("Form1"));
  setWindowIcon(Icon());
  resize(FromTwips(0, 0, 7080, 2820).size());
  // The layout is fixed, and drawn for the classic 8.25-point dialog font;
  // larger default sizes would cut off captions such as "Header".
  QFont dialogFont = font();
  dialogFont.setPointSizeF(8.25);
  setFont(dialogFont);

  CreateFileGroup(0);
  CreateFileGroup(1);

  BankSizeCombo1 = PlaceList(this, QStringLiteral("BankSizeCombo1"), FromTwips(0, 2430, 1935, 360),
                             QStringLiteral("Bank size"));
  AddChoices(BankSizeCombo1, kBankSizeChoices);
  // Grey, with dark text of its own: a dark theme's light text is unreadable on it.
  QPalette grey = BankSizeCombo1->palette();
  for (const auto role : {QPalette::Button, QPalette::Base, QPalette::Window}) {
    grey.setColor(role, QColor(192, 192, 192));
  }
  for (const auto role : {QPalette::ButtonText, QPalette::Text, QPalette::WindowText}) {
    grey.setColor(role, Qt::black);
  }
  BankSizeCombo1->setPalette(grey);

  Command3 = Place<QPushButton>(this, QStringLiteral("Command3"), FromTwips(2280, 2430, 4335, 375),
                                QStringLiteral("Transfer bank"));
  Command3->setText(QStringLiteral("Transfer Bank"));
  QRect rangeButton = FromTwips(6720, 0, 375, 2775);
#ifdef Q_OS_WIN
  // The design's range button reaches one pixel past the window (6720 + 375
  // twips against 7080). On Linux it shows whole all the same, as Fusion draws
  // a button one pixel in from its right edge; Windows' style draws to the
  // edge, so here the button ends where the window does.
  rangeButton.setRight(width() - 1);
#endif
  Command6 = Place<QPushButton>(this, QStringLiteral("Command6"), rangeButton,
                                QStringLiteral("Transfer range"));
  Command6->setAccessibleDescription(
      QStringLiteral("Copies the bytes from the Copy From offset to the Paste To offset"));
}

void Form1::CreateFileGroup(int side) {
  const QString caption = QLatin1String(side == 0 ? "File To Copy From" : "File To Paste To");
  // Screen readers say which side a control belongs to, and what "<" means.
  const QString prefix = QLatin1String(side == 0 ? "Copy From: " : "Paste To: ");
  QGroupBox* frame = Frame1[side] = Place<QGroupBox>(
      this, Indexed("Frame1", side), FromTwips(0, side * 1215, 6615, 1215), caption);
  frame->setTitle(caption);

  QPushButton* fileButton =
      Place<QPushButton>(frame, QLatin1String(side == 0 ? "Command1" : "Command2"),
                         FromTwips(120, 360, 615, 375), prefix + QStringLiteral("choose file"));
  fileButton->setText(QStringLiteral("File"));
  QLineEdit* pathBox =
      Place<QLineEdit>(frame, QLatin1String(side == 0 ? "Text1" : "Text2"),
                       FromTwips(735, 360, 5715, 375), prefix + QStringLiteral("file path"));
  pathBox->setFont(BoxFont());
  (side == 0 ? Command1 : Command2) = fileButton;
  (side == 0 ? Text1 : Text2) = pathBox;

  Label1[side] = Place<QLabel>(frame, Indexed("Label1", side), FromTwips(120, 758, 615, 315),
                               prefix + QStringLiteral("header"));
  Label1[side]->setText(QStringLiteral("Header"));
  HeaderCombo1[side] =
      PlaceList(frame, Indexed("HeaderCombo1", side), FromTwips(735, 735, 1680, 360),
                prefix + QStringLiteral("header length"));
  AddChoices(HeaderCombo1[side], kHeaderChoices);
  BankCombo1[side] = PlaceList(frame, Indexed("BankCombo1", side), FromTwips(3120, 735, 855, 360),
                               prefix + QStringLiteral("bank"));

  Command4[side] =
      Place<QPushButton>(frame, Indexed("Command4", side), FromTwips(3975, 735, 375, 195),
                         prefix + QStringLiteral("bank from offset"));
  Command4[side]->setText(QStringLiteral("<"));
  Command5[side] =
      Place<QPushButton>(frame, Indexed("Command5", side), FromTwips(3975, 930, 375, 195),
                         prefix + QStringLiteral("offset from bank"));
  Command5[side]->setText(QStringLiteral(">"));
  KnownOffsetText1[side] = Place<QLineEdit>(frame, Indexed("KnownOffsetText1", side),
                                            FromTwips(4350, side == 0 ? 720 : 735, 2100, 375),
                                            prefix + QStringLiteral("offset box"));
  KnownOffsetText1[side]->setFont(BoxFont());
  KnownOffsetText1[side]->setMaxLength(6);
}

void Form1::CreateUndoActions() {
  undoAction_ = new QAction(this);
  redoAction_ = new QAction(this);
  for (const auto& [action, keys] :
       {std::pair{undoAction_, QKeySequence::Undo}, {redoAction_, QKeySequence::Redo}}) {
    action->setShortcuts(keys);
    action->setShortcutVisibleInContextMenu(true);
    // Also the keys' home: an action takes its keys only once it is on a widget.
    addAction(action);
  }
  // Built when first opened; the buttons and lists pass theirs to the window,
  // the text boxes keep their own.
  setContextMenuPolicy(Qt::ActionsContextMenu);
  ShowHistory();
}

void Form1::SetTabOrder() {
  // Frames and labels take no focus, so they drop out of the chain.
  QWidget* const chain[] = {
      Command3,
      Command1,
      Text1,
      BankCombo1[0],
      KnownOffsetText1[0],
      Command4[0],
      BankSizeCombo1,
      HeaderCombo1[0],
      HeaderCombo1[1],
      Command4[1],
      KnownOffsetText1[1],
      BankCombo1[1],
      Text2,
      Command2,
      Command5[0],
      Command5[1],
      Command6,
  };
  for (std::size_t i = 1; i < std::size(chain); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void Form1::ConnectControls() {
  connect(Command1, &QPushButton::clicked, this, &Form1::ChooseCopyFromFile);
  connect(Command2, &QPushButton::clicked, this, &Form1::ChoosePasteToFile);
  connect(Command3, &QPushButton::clicked, this, &Form1::TransferBank);
  connect(Command6, &QPushButton::clicked, this, &Form1::TransferRange);
  for (int side = 0; side < 2; ++side) {
    connect(Command4[side], &QPushButton::clicked, this, [this, side] { BankFromOffset(side); });
    connect(Command5[side], &QPushButton::clicked, this, [this, side] { OffsetFromBank(side); });
    connect(HeaderCombo1[side], &QComboBox::currentIndexChanged, this, &Form1::ApplyHeaderChoices);
    new FileDrop(Frame1[side], [this, side](const QString& path) { DropFile(side, path); });
  }
  connect(BankSizeCombo1, &QComboBox::currentIndexChanged, this, &Form1::ApplyBankSizeChoice);
  connect(undoAction_, &QAction::triggered, this, [this] { GoOver(Direction::Undo); });
  connect(redoAction_, &QAction::triggered, this, [this] { GoOver(Direction::Redo); });
}

void Form1::RunStartUpDefaults() {
  SelectText(BankSizeCombo1, QStringLiteral("$8000 (SNES)"));
  SelectText(HeaderCombo1[0], QStringLiteral("$200 (SNES)"));
  SelectText(HeaderCombo1[1], QStringLiteral("$200 (SNES)"));
  QStringList banks;
  for (int position = 0; position < kBankCount; ++position) {
    banks << QString::fromStdString(BankListEntry(position));
  }
  BankCombo1[0]->addItems(banks);
  BankCombo1[1]->addItems(banks);
  SelectText(BankCombo1[0], QStringLiteral("$80"));
  SelectText(BankCombo1[1], QStringLiteral("$80"));
  Command3->setFocus();
}

void Form1::ChooseCopyFromFile() { ChooseFile(0); }

void Form1::ChoosePasteToFile() { ChooseFile(1); }

void Form1::ChooseFile(int side) {
  OpenSave dialog(dialogs_);
  dialog.ShowOpen();
  std::u16string chosen = dialog.FileName();
  chosen.resize(std::min(chosen.size(), chosen.find(u'\0')));
  if (!chosen.empty()) {
    TakeFile(side, QString::fromStdU16String(chosen));
  } else {
    // Also after a cancel: what was typed into the path box gives way to the path in use.
    ShowChosenFile(side);
  }
}

void Form1::DropFile(int side, const QString& path) {
  dialogs_.NoteFileChosen(path.toStdU16String());
  TakeFile(side, path);
}

void Form1::TakeFile(int side, const QString& path) {
  std::string& stored = side == 0 ? settings_.CopyFromFile : settings_.PasteToFile;
  // As the system writes paths: in the path box, the tooltip and the prompts.
  stored = QDir::toNativeSeparators(path).toStdString();
  ShowChosenFile(side);
  if (const std::optional<int> header = FileHeader(stored)) {
    HeaderCombo1[side]->setCurrentIndex(*header);
  }
}

void Form1::ShowChosenFile(int side) {
  const QString path = PathText(side == 0 ? settings_.CopyFromFile : settings_.PasteToFile);
  (side == 0 ? Command1 : Command2)->setToolTip(path);
  (side == 0 ? Text1 : Text2)->setText(path);
}

void Form1::TransferBank() {
  Keep(zarvello::TransferBank(settings_, BankCombo1[0]->currentIndex(),
                              BankCombo1[1]->currentIndex(), prompt_));
}

void Form1::TransferRange() {
  Keep(zarvello::TransferRange(settings_, KnownOffsetText1[0]->text().toStdString(),
                               KnownOffsetText1[1]->text().toStdString(), prompt_));
}

void Form1::Keep(std::optional<TransferChange> change) {
  if (!change) return;
  history_.Add(std::move(*change));
  ShowHistory();
}

void Form1::GoOver(Direction direction) {
  (direction == Direction::Undo ? UndoTransfer : RedoTransfer)(history_, prompt_);
  ShowHistory();
}

void Form1::ShowHistory() {
  for (const auto& [action, direction, text] :
       {std::tuple{undoAction_, Direction::Undo, QStringLiteral("Undo the transfer")},
        {redoAction_, Direction::Redo, QStringLiteral("Redo the transfer")}}) {
    const TransferChange* next = history_.Next(direction);
    action->setEnabled(next != nullptr);
    // "&" in a file name would mark a key, not stand for itself.
    const QString file = next ? QFileInfo(PathText(next->Path()))
                                    .fileName()
                                    .replace(QLatin1Char('&'), QLatin1String("&&"))
                              : QString();
    action->setText(next ? text + QStringLiteral(" into '%1'").arg(file) : text);
  }
}

void Form1::BankFromOffset(int side) {
  WriteBankOffsetControls(zarvello::BankFromOffset(side, ReadBankOffsetControls(), settings_));
}

void Form1::OffsetFromBank(int side) {
  WriteBankOffsetControls(zarvello::OffsetFromBank(side, ReadBankOffsetControls(), settings_));
}

BankOffsetControls Form1::ReadBankOffsetControls() const {
  BankOffsetControls controls;
  for (int side = 0; side < 2; ++side) {
    controls.offsetTexts[side] = KnownOffsetText1[side]->text().toStdString();
    controls.bankPositions[side] = BankCombo1[side]->currentIndex();
  }
  return controls;
}

void Form1::WriteBankOffsetControls(const BankOffsetControls& controls) {
  for (int side = 0; side < 2; ++side) {
    const QString text = QString::fromStdString(controls.offsetTexts[side]);
    // A box within its limits keeps its text, cursor and undo history.
    if (text != KnownOffsetText1[side]->text()) KnownOffsetText1[side]->setText(text);
    BankCombo1[side]->setCurrentIndex(controls.bankPositions[side]);
  }
}

void Form1::ApplyHeaderChoices() {
  zarvello::ApplyHeaderChoices(settings_, HeaderCombo1[0]->currentIndex(),
                               HeaderCombo1[1]->currentIndex());
}

void Form1::ApplyBankSizeChoice() {
  zarvello::ApplyBankSizeChoice(settings_, BankSizeCombo1->currentIndex());
}

}  // namespace zarvello
