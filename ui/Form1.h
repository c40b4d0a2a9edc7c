#pragma once
// The program's one window: two file groups (Copy From, Paste To), the bank
// size, "Transfer Bank" and the range button. It reads its controls, runs a
// core operation and writes the results back; the logic lives in core. A file
// is chosen for a side with its File button or by a drop onto its frame. The
// transfers of the run can be undone and redone with the system's keys, or
// from the context menu of the window and its buttons.

#include <array>
#include <string>

#include <QWidget>

#include "model/BankOffsetSync.h"
#include "model/TransferSettings.h"
#include "transfers/TransferHistory.h"

class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zarvello {

class DialogService;
class MessagePrompt;

class Form1 : public QWidget {
 public:
  Form1(MessagePrompt& prompt, DialogService& dialogs, QWidget* parent = nullptr);

  const TransferSettings& Settings() const { return settings_; }
  const TransferHistory& History() const { return history_; }

 private:
  void CreateControls();
  void CreateFileGroup(int side);
  void CreateUndoActions();
  void SetTabOrder();
  void ConnectControls();
  void RunStartUpDefaults();

  void ChooseCopyFromFile();
  void ChoosePasteToFile();
  void ChooseFile(int side);
  void DropFile(int side, const QString& path);
  void TakeFile(int side, const QString& path);
  void ShowChosenFile(int side);
  void TransferBank();
  void TransferRange();
  void Keep(std::optional<TransferChange> change);
  void GoOver(Direction direction);
  void ShowHistory();
  void BankFromOffset(int side);
  void OffsetFromBank(int side);
  BankOffsetControls ReadBankOffsetControls() const;
  void WriteBankOffsetControls(const BankOffsetControls& controls);
  void ApplyHeaderChoices();
  void ApplyBankSizeChoice();

  MessagePrompt& prompt_;
  DialogService& dialogs_;
  TransferSettings settings_;
  TransferHistory history_;

  // Index 0 is the Copy From group, 1 the Paste To group.
  std::array<QGroupBox*, 2> Frame1{};
  std::array<QLabel*, 2> Label1{};
  std::array<QComboBox*, 2> HeaderCombo1{};
  std::array<QComboBox*, 2> BankCombo1{};
  std::array<QPushButton*, 2> Command4{};
  std::array<QPushButton*, 2> Command5{};
  std::array<QLineEdit*, 2> KnownOffsetText1{};
  QPushButton* Command1 = nullptr;
  QPushButton* Command2 = nullptr;
  QPushButton* Command3 = nullptr;
  QPushButton* Command6 = nullptr;
  QLineEdit* Text1 = nullptr;
  QLineEdit* Text2 = nullptr;
  QComboBox* BankSizeCombo1 = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
};

}  // namespace zarvello
