#pragma once
// A message box that records what it was asked to show and answers as the
// test says: the answers in turn, then answer.
#include <string>
#include <vector>

#include "core/text/MessageBox.h"

namespace korvane::test {

struct RecordingMessageBox : IMessageBox {
  struct Shown {
    std::string text, caption;
    unsigned type;
  };
  std::vector<Shown> shown;
  std::vector<int> answers;  // given in turn
  int answer = IDOK;         // once they have run out

  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) override {
    shown.push_back({text, caption, type});
    if (answers.empty()) return answer;
    const int a = answers.front();
    answers.erase(answers.begin());
    return a;
  }

  // The texts shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Shown& s : shown) texts.push_back(s.text);
    return texts;
  }
};

}  // namespace korvane::test
