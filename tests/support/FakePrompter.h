// A scripted Prompter for tests: records every box, question, beep and dialog as a line
// of text, answers questions from queues, and fails the test when a queue runs dry.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/ports/Prompter.h"

namespace varnel::test {

class FakePrompter : public Prompter {
 public:
  // Every event in order: "Plain: text", "Information: text", "Warning: text",
  // "Error: text", "Limit: text", "YesNo: text", "OkCancel: text",
  // "SaveChanges: text", "Findings: <finding line>" (one entry per finding), "Beep",
  // "Open: <filter>",
  // "Save: <filter>", "Folder: <title>".
  std::vector<std::string> Log;
  int Beeps = 0;                     // every box and every Beep()
  std::vector<MessageBox> Messages;  // every box, detail and folder included

  std::deque<bool> YesNoAnswers;
  std::deque<bool> OkCancelAnswers;
  std::deque<SaveAnswer> SaveChangesAnswers;
  std::deque<bool> FindingsAnswers;  // true: "Make anyway"
  std::deque<std::vector<std::string>> OpenAnswers;
  std::deque<std::optional<std::string>> SaveAnswers;
  std::deque<std::optional<std::string>> FolderAnswers;
  std::vector<FileDialogRequest> Requests;

  void Show(const MessageBox& m) override {
    ++Beeps;
    static const char* const names[] = {"Plain", "Information", "Warning",
                                        "Error", "Limit",       "LeftOut"};
    Log.push_back(std::string(names[static_cast<int>(m.Kind)]) + ": " + m.Text);
    Messages.push_back(m);
  }
  bool AskYesNo(const std::string& text) override {
    ++Beeps;
    Log.push_back("YesNo: " + text);
    return Pop(YesNoAnswers, "YesNo");
  }
  bool ConfirmOkCancel(const std::string& text) override {
    ++Beeps;
    Log.push_back("OkCancel: " + text);
    return Pop(OkCancelAnswers, "OkCancel");
  }
  SaveAnswer AskSaveChanges(const std::string& text) override {
    ++Beeps;
    Log.push_back("SaveChanges: " + text);
    if (SaveChangesAnswers.empty()) {
      ADD_FAILURE() << "unexpected SaveChanges request: no scripted answer left";
      return SaveAnswer::Cancel;
    }
    return Pop(SaveChangesAnswers, "SaveChanges");
  }
  bool ConfirmFindings(const std::vector<DiscFinding>& findings) override {
    ++Beeps;
    for (const DiscFinding& f : findings) Log.push_back("Findings: " + FindingLine(f));
    return Pop(FindingsAnswers, "Findings");
  }
  void Beep() override {
    ++Beeps;
    Log.push_back("Beep");
  }
  std::vector<std::string> OpenFiles(const FileDialogRequest& r) override {
    Requests.push_back(r);
    Log.push_back("Open: " + r.Filter);
    return Pop(OpenAnswers, "Open");
  }
  std::optional<std::string> SaveFile(const FileDialogRequest& r) override {
    Requests.push_back(r);
    Log.push_back("Save: " + r.Filter);
    return Pop(SaveAnswers, "Save");
  }
  std::optional<std::string> BrowseFolder(const std::string& title,
                                          const std::string& initialDir) override {
    FileDialogRequest r;
    r.Title = title;
    r.InitialDir = initialDir;
    Requests.push_back(r);
    Log.push_back("Folder: " + title);
    return Pop(FolderAnswers, "Folder");
  }

 private:
  template <typename T>
  static T Pop(std::deque<T>& queue, const char* what) {
    if (queue.empty()) {
      ADD_FAILURE() << "unexpected " << what << " request: no scripted answer left";
      return T{};
    }
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
  }
};

}  // namespace varnel::test
