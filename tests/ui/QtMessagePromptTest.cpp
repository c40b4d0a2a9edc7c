#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "QtMessagePrompt.h"

namespace zarvello {
namespace {

// Answers the real message box once it is the active modal widget.
PromptAnswer ShowAndAnswer(MessagePrompt& prompt, const std::string& text, PromptButtons buttons,
                           PromptIcon icon, const std::string& title,
                           const std::function<void(QMessageBox&)>& answer) {
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      timer.stop();
      answer(*box);
    }
  });
  timer.start();
  return prompt.Show(text, buttons, icon, title);
}

TEST(QtMessagePromptTest, QuestionShowsLinesYesAndNoWithYesAsTheDefault) {
  QWidget window;
  window.show();
  QtMessagePrompt prompt(&window);
  const auto answer =
      ShowAndAnswer(prompt, "First line\r\n\r\nLast line", PromptButtons::YesNo, PromptIcon::None,
                    "Do you know what you're doing?", [&](QMessageBox& box) {
                      EXPECT_EQ(box.text(), "First line\n\nLast line");
                      EXPECT_EQ(box.windowTitle(), "Do you know what you're doing?");
                      EXPECT_EQ(box.icon(), QMessageBox::NoIcon);
                      EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
                      EXPECT_EQ(box.parentWidget(), &window);
                      QTest::keyClick(&box, Qt::Key_Return);
                    });
  EXPECT_EQ(answer, PromptAnswer::Yes);

  EXPECT_EQ(ShowAndAnswer(prompt, "Again?", PromptButtons::YesNo, PromptIcon::None, "",
                          [](QMessageBox& box) { box.button(QMessageBox::No)->click(); }),
            PromptAnswer::No);
}

TEST(QtMessagePromptTest, ErrorShowsTheCriticalIconOkAndTheApplicationTitle) {
  QtMessagePrompt prompt;
  const auto answer = ShowAndAnswer(prompt, "No File to Copy From selected!", PromptButtons::Ok,
                                    PromptIcon::Critical, "", [](QMessageBox& box) {
                                      EXPECT_EQ(box.windowTitle(), "Zarvello");
                                      EXPECT_EQ(box.icon(), QMessageBox::Critical);
                                      EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
                                      QTest::keyClick(&box, Qt::Key_Escape);
                                    });
  EXPECT_EQ(answer, PromptAnswer::Ok);
}

}  // namespace
}  // namespace zarvello
