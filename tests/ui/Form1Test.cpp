#include <map>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

#include "Form1Fixture.h"

namespace zarvello {
namespace {

// Pixels at 96 dots per inch, within each control's container.
const std::map<QString, QRect> kGeometry{
    {"Frame1(0)", {0, 0, 441, 81}},
    {"Frame1(1)", {0, 81, 441, 81}},
    {"BankSizeCombo1", {0, 162, 129, 24}},
    {"Command3", {152, 162, 289, 25}},
    {"Command6", {448, 0, 25, 185}},
    {"Command1", {8, 24, 41, 25}},
    {"Command2", {8, 24, 41, 25}},
    {"Text1", {49, 24, 381, 25}},
    {"Text2", {49, 24, 381, 25}},
    {"Label1(0)", {8, 51, 41, 21}},
    {"Label1(1)", {8, 51, 41, 21}},
    {"HeaderCombo1(0)", {49, 49, 112, 24}},
    {"HeaderCombo1(1)", {49, 49, 112, 24}},
    {"BankCombo1(0)", {208, 49, 57, 24}},
    {"BankCombo1(1)", {208, 49, 57, 24}},
    {"Command4(0)", {265, 49, 25, 13}},
    {"Command4(1)", {265, 49, 25, 13}},
    {"Command5(0)", {265, 62, 25, 13}},
    {"Command5(1)", {265, 62, 25, 13}},
    {"KnownOffsetText1(0)", {290, 48, 140, 25}},
    {"KnownOffsetText1(1)", {290, 49, 140, 25}},
};

QStringList Entries(const QComboBox* list) {
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  return entries;
}

class Form1Test : public testing::Form1Fixture {
 protected:
  std::map<QString, QRect> Geometries() {
    std::map<QString, QRect> geometries;
    for (const auto& [name, rect] : kGeometry) geometries[name] = Find(name)->geometry();
    return geometries;
  }
};

TEST_F(Form1Test, StartsWithTheDesignAndTheStartUpDefaults) {
  EXPECT_EQ(form.windowTitle(), "Form1");
  EXPECT_EQ(form.size(), QSize(472, 188));
  EXPECT_FALSE(form.windowIcon().isNull());
  EXPECT_EQ(Geometries(), kGeometry);
  EXPECT_EQ(Find<QGroupBox>("Frame1(0)")->title(), "File To Copy From");
  EXPECT_EQ(Find<QGroupBox>("Frame1(1)")->title(), "File To Paste To");
  EXPECT_EQ(Find<QPushButton>("Command3")->text(), "Transfer Bank");
  EXPECT_EQ(Find<QPushButton>("Command6")->text(), "");
  EXPECT_EQ(Entries(Find<QComboBox>("BankSizeCombo1")),
            QStringList({"$4000 (NES)", "$8000 (SNES)"}));
  EXPECT_EQ(Find<QComboBox>("BankSizeCombo1")->currentText(), "$8000 (SNES)");
  EXPECT_EQ(Find<QComboBox>("BankSizeCombo1")->palette().color(QPalette::Button),
            QColor(192, 192, 192));

  for (const int side : {0, 1}) {
    const QString index = QStringLiteral("(%1)").arg(side);
    EXPECT_EQ(Find<QPushButton>(side == 0 ? "Command1" : "Command2")->text(), "File");
    EXPECT_EQ(Find<QPushButton>(side == 0 ? "Command1" : "Command2")->toolTip(), "");
    const auto* label = Find<QLabel>("Label1" + index);
    EXPECT_EQ(label->text(), "Header");
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_EQ(Find<QPushButton>("Command4" + index)->text(), "<");
    EXPECT_EQ(Find<QPushButton>("Command5" + index)->text(), ">");
    const auto* header = Find<QComboBox>("HeaderCombo1" + index);
    EXPECT_EQ(Entries(header), QStringList({"No Header", "$010 (NES)", "$200 (SNES)"}));
    EXPECT_EQ(header->currentText(), "$200 (SNES)");
    const auto* banks = Find<QComboBox>("BankCombo1" + index);
    ASSERT_EQ(banks->count(), 128);
    EXPECT_EQ(banks->itemText(0), "$80");
    EXPECT_EQ(banks->itemText(31), "$9F");
    EXPECT_EQ(banks->itemText(127), "$FF");
    EXPECT_EQ(banks->currentIndex(), 0);
    const auto* offsetBox = Find<QLineEdit>("KnownOffsetText1" + index);
    EXPECT_EQ(offsetBox->text(), "");
    EXPECT_EQ(offsetBox->maxLength(), 6);
    const auto* pathBox = Find<QLineEdit>(side == 0 ? "Text1" : "Text2");
    EXPECT_EQ(pathBox->text(), "");
    EXPECT_EQ(pathBox->maxLength(), QLineEdit().maxLength());  // no limit of its own
    for (const QWidget* box :
         {static_cast<const QWidget*>(header), static_cast<const QWidget*>(banks),
          static_cast<const QWidget*>(offsetBox), static_cast<const QWidget*>(pathBox)}) {
      EXPECT_EQ(box->font().family(), "Courier New");
      EXPECT_EQ(box->font().pointSizeF(), 9.75);
    }
  }

  const TransferSettings& settings = form.Settings();
  EXPECT_EQ(settings.BankSize, 0x8000);
  EXPECT_EQ(settings.CopyFromHeader, 0x200);
  EXPECT_EQ(settings.PasteToHeader, 0x200);
  EXPECT_EQ(settings.CopyFromBankOffset, 0);
  EXPECT_EQ(settings.PasteToBankOffset, 0);
  EXPECT_TRUE(settings.CopyFromFile.empty() && settings.PasteToFile.empty());
}

TEST_F(Form1Test, FocusStartsOnTransferBankAndTabFollowsTheDesignOrder) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  const QStringList expected{"Command3",
                             "Command1",
                             "Text1",
                             "BankCombo1(0)",
                             "KnownOffsetText1(0)",
                             "Command4(0)",
                             "BankSizeCombo1",
                             "HeaderCombo1(0)",
                             "HeaderCombo1(1)",
                             "Command4(1)",
                             "KnownOffsetText1(1)",
                             "BankCombo1(1)",
                             "Text2",
                             "Command2",
                             "Command5(0)",
                             "Command5(1)",
                             "Command6",
                             "Command3"};
  QStringList visited;
  for (int i = 0; i < expected.size(); ++i) {
    visited << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(visited, expected);
}

TEST_F(Form1Test, ResizingAndMaximisingMoveNoControl) {
  form.show();
  form.resize(900, 700);
  EXPECT_EQ(Geometries(), kGeometry);
  form.showMaximized();
  QApplication::processEvents();
  EXPECT_EQ(Geometries(), kGeometry);
  form.resize(200, 100);
  EXPECT_EQ(Geometries(), kGeometry);
}

TEST_F(Form1Test, EveryControlHasItsOwnAccessibleName) {
  QStringList names;
  for (const auto& [objectName, rect] : kGeometry) {
    const QString name = Find(objectName)->accessibleName();
    EXPECT_FALSE(name.isEmpty()) << objectName.toStdString();
    EXPECT_FALSE(names.contains(name)) << name.toStdString();
    names << name;
  }
  EXPECT_EQ(Find("Command6")->accessibleName(), "Transfer range");
  EXPECT_EQ(Find("Command4(0)")->accessibleName(), "Copy From: bank from offset");
  EXPECT_EQ(Find("KnownOffsetText1(1)")->accessibleName(), "Paste To: offset box");
}

TEST_F(Form1Test, OffsetBoxRefusesASeventhCharacter) {
  auto* box = Find<QLineEdit>("KnownOffsetText1(0)");
  QTest::keyClicks(box, "3F82001");
  EXPECT_EQ(box->text(), "3F8200");
}

}  // namespace
}  // namespace zarvello
