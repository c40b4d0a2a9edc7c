#pragma once
// A window with a person's stand-ins at its prompts and file dialogs, and the
// ways a person works its controls.

#include <optional>
#include <string>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "ChoosingDialogService.h"
#include "Form1.h"
#include "RecordingPrompt.h"
#include "TempFolder.h"

namespace zarvello::testing {

class Form1Fixture : public ::testing::Test {
 protected:
  Form1Fixture() : form(prompt, dialogs) {}

  template <typename Control = QWidget>
  Control* Find(const QString& name) {
    auto* control = form.findChild<Control*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
  }
  void Click(const QString& button) {
    QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
  }
  // Picks an entry with the keyboard.
  void Pick(const QString& list, int position) {
    auto* combo = Find<QComboBox>(list);
    while (combo->currentIndex() < position) QTest::keyClick(combo, Qt::Key_Down);
    while (combo->currentIndex() > position) QTest::keyClick(combo, Qt::Key_Up);
  }
  void Type(const QString& box, const QString& text) {
    Find<QLineEdit>(box)->clear();
    QTest::keyClicks(Find<QLineEdit>(box), text);
  }
  QString Text(const QString& box) { return Find<QLineEdit>(box)->text(); }
  void Choose(const QString& fileButton, std::optional<std::u16string> choice) {
    dialogs.choices.push_back(std::move(choice));
    Click(fileButton);
  }

  TempFolder folder;
  RecordingPrompt prompt;
  ChoosingDialogService dialogs;
  Form1 form;
};

}  // namespace zarvello::testing
