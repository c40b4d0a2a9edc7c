#pragma once
// The operations' prompts as QMessageBox, modal to the main window.

#include "prompts/MessagePrompt.h"

class QWidget;

namespace zarvello {

class QtMessagePrompt : public MessagePrompt {
 public:
  // The window may be set later, once it exists.
  explicit QtMessagePrompt(QWidget* window = nullptr) : window_(window) {}
  void SetWindow(QWidget* window) { window_ = window; }

  PromptAnswer Show(const std::string& text, PromptButtons buttons, PromptIcon icon,
                    const std::string& title) override;

 private:
  QWidget* window_;
};

}  // namespace zarvello
