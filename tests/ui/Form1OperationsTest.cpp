#include <QComboBox>
#include <QPushButton>

#include "Form1Fixture.h"

namespace zarvello {
namespace {

// The files, prompts and dialogs a person would use.
using namespace testing;

std::u16string Utf16(const std::string& path) {
  return QString::fromStdString(path).toStdU16String();
}

using Form1OperationsTest = testing::Form1Fixture;

TEST_F(Form1OperationsTest, FileButtonsStoreThePathBeforeTheFirstNulAndShowItEvenAfterACancel) {
  Choose("Command1", std::nullopt);
  EXPECT_EQ(form.Settings().CopyFromFile, "");
  EXPECT_EQ(Find<QPushButton>("Command1")->toolTip(), "");
  EXPECT_EQ(Text("Text1"), "");

  const std::string rom = folder.File("Fürst – 1.smc");  // non-ASCII names stay intact
  Choose("Command1", Utf16(rom));
  EXPECT_EQ(form.Settings().CopyFromFile, rom);
  EXPECT_EQ(Find<QPushButton>("Command1")->toolTip(), QString::fromStdString(rom));
  EXPECT_EQ(Text("Text1"), QString::fromStdString(rom));

  Type("Text1", "/typed/elsewhere.smc");
  Choose("Command1", std::nullopt);
  EXPECT_EQ(form.Settings().CopyFromFile, rom);
  EXPECT_EQ(Text("Text1"), QString::fromStdString(rom));

  // A name that fills the whole file-name space has no NUL and is kept whole.
  const std::string longName = folder.File(std::string(261 - folder.File("").size(), 'b'));
  Choose("Command2", Utf16(longName));
  EXPECT_EQ(form.Settings().PasteToFile, longName);
  EXPECT_EQ(Text("Text2"), QString::fromStdString(longName));
  EXPECT_EQ(form.Settings().CopyFromFile, rom);
  EXPECT_EQ(Text("Text1"), QString::fromStdString(rom));
  EXPECT_EQ(dialogs.shows, 4);
}

TEST_F(Form1OperationsTest, TransferBankUsesTheChosenFilesListsAndHeadersNotTypedPaths) {
  const Bytes source = PatternBytes(4 * 0x8000, 1);  // no header
  const Bytes target = PatternBytes(0x200 + 3 * 0x8000, 2);
  WriteBytes(folder.File("from.smc"), source);
  WriteBytes(folder.File("to.smc"), target);
  Choose("Command1", Utf16(folder.File("from.smc")));
  Choose("Command2", Utf16(folder.File("to.smc")));
  Type("Text2", folder.Path().c_str());

  Pick("HeaderCombo1(0)", 0);
  Pick("BankCombo1(0)", 3);
  Pick("BankCombo1(1)", 2);
  // Choosing a bank changes no setting until a transfer reads the lists.
  EXPECT_EQ(form.Settings().CopyFromBankOffset, 0);
  EXPECT_EQ(form.Settings().CopyFromHeader, 0);
  EXPECT_EQ(form.Settings().PasteToHeader, 0x200);

  Click("Command3");
  EXPECT_EQ(prompt.shown, std::vector{DonePrompt("Bank transferred.")});
  EXPECT_EQ(form.Settings().CopyFromBankOffset, 3 * 0x8000);
  EXPECT_EQ(form.Settings().PasteToBankOffset, 2 * 0x8000);
  Bytes expected = target;
  std::copy_n(source.begin() + 3 * 0x8000, 0x8000, expected.begin() + 0x200 + 2 * 0x8000);
  EXPECT_EQ(ReadBytes(folder.File("to.smc")), expected);

  // With a 16 KiB bank size only half a bank moves.
  Pick("BankSizeCombo1", 0);
  EXPECT_EQ(form.Settings().BankSize, 0x4000);
  Pick("BankCombo1(0)", 0);
  Click("Command3");
  std::copy_n(source.begin(), 0x4000, expected.begin() + 0x200 + 2 * 0x8000);
  EXPECT_EQ(ReadBytes(folder.File("to.smc")), expected);
}

TEST_F(Form1OperationsTest, TransferRangeCopiesBetweenTheTwoOffsetBoxes) {
  Click("Command6");
  const Bytes source = PatternBytes(0x1000, 1);
  const Bytes target = PatternBytes(0x1000, 2);
  WriteBytes(folder.File("from.smc"), source);
  WriteBytes(folder.File("to.smc"), target);
  Choose("Command1", Utf16(folder.File("from.smc")));
  Choose("Command2", Utf16(folder.File("to.smc")));
  Type("KnownOffsetText1(0)", "100");
  Type("KnownOffsetText1(1)", "1ff");
  Click("Command6");
  EXPECT_EQ(prompt.shown, (std::vector{ErrorPrompt("No File to Copy From selected!"),
                                       DonePrompt("Data transferred.")}));
  Bytes expected = target;
  std::copy_n(source.begin() + 0x100, 0x100, expected.begin() + 0x100);
  EXPECT_EQ(ReadBytes(folder.File("to.smc")), expected);
}

TEST_F(Form1OperationsTest, BankAndOffsetButtonsWorkOnTheirOwnSide) {
  Type("KnownOffsetText1(0)", "FFFFFF");
  Click("Command4(1)");  // clamps both boxes, selects only on its own side
  EXPECT_EQ(Text("KnownOffsetText1(0)"), "3F8200");
  EXPECT_EQ(Text("KnownOffsetText1(1)"), "200");
  EXPECT_EQ(Find<QComboBox>("BankCombo1(0)")->currentText(), "$80");
  EXPECT_EQ(Find<QComboBox>("BankCombo1(1)")->currentText(), "$80");

  Click("Command4(0)");
  EXPECT_EQ(Find<QComboBox>("BankCombo1(0)")->currentText(), "$FF");

  Pick("HeaderCombo1(1)", 0);
  EXPECT_EQ(form.Settings().PasteToHeader, 0);
  EXPECT_EQ(form.Settings().CopyFromHeader, 0x200);
  Pick("BankCombo1(1)", 1);
  Click("Command5(1)");
  EXPECT_EQ(Text("KnownOffsetText1(1)"), "008000");
  EXPECT_EQ(Text("KnownOffsetText1(0)"), "3F8200");

  Pick("BankCombo1(0)", 31);
  Click("Command5(0)");
  EXPECT_EQ(Text("KnownOffsetText1(0)"), "0F8200");
  EXPECT_EQ(Text("KnownOffsetText1(1)"), "008000");
}

}  // namespace
}  // namespace zarvello
