// The editor's own dialogs. Each takes its defaults from the core's
// request and gives back the core's answer; none decides anything itself.
// Fields carry object names so that tests (and QtHost's runDialog hook)
// can fill them.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>

#include "commands/helptext.hpp"
#include "platform/host.hpp"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// A line edit that takes single-byte (Latin-1) text only: a character
// beyond it is refused with a beep.
void restrictToLatin1(QLineEdit& edit);

// "GET_COM": the comment convention of a file type nobody knows.
class TGetComDialog : public QDialog {
  Q_OBJECT
 public:
  TGetComDialog(const CommentAnswer& offered, QWidget* parent = nullptr);
  CommentAnswer answer() const;

 private:
  QLineEdit* typeName_;
  QLineEdit* commentStart_;
  QLineEdit* commentEnd_;
};

// "INPUT", "INPUT2" and the like: one labelled field of bounded length.
class TInputDialog : public QDialog {
  Q_OBJECT
 public:
  TInputDialog(const std::string& resource, const std::string& label,
               const std::string& defaultText, int maxLen, QWidget* parent = nullptr);
  std::string text() const;
  QLineEdit* field() const { return field_; }

 private:
  QLineEdit* field_;
};

// "SYMBOL": the characters 32..255 in a grid; one is picked to be inserted.
class TSymbolDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TSymbolDialog(QWidget* parent = nullptr);
  // The character picked; nullopt before any is.
  std::optional<unsigned char> chosen() const { return chosen_; }
  void choose(unsigned char ch);

 private:
  QButtonGroup* group_;
  QLabel* shown_;
  std::optional<unsigned char> chosen_;
};

// "DIALOG_3" (find) and, with the replace field and "Replace All",
// "DIALOG_1" (find and replace).
class TFinDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFinDialog(const SearchRequest& defaults, QWidget* parent = nullptr);
  SearchRequest request() const;

 protected:
  TFinDialog(const SearchRequest& defaults, bool replace, QWidget* parent);

  QLineEdit* find_;
  QLineEdit* replace_ = nullptr;
  QRadioButton* forward_;
  QRadioButton* backward_;
  QRadioButton* stopOnFirst_;
  QRadioButton* promptForNext_;
  QRadioButton* replaceAll_ = nullptr;
  QCheckBox* matchCase_;
  QCheckBox* allFiles_;
};

class TFinRepDialog : public TFinDialog {
  Q_OBJECT
 public:
  explicit TFinRepDialog(const SearchRequest& defaults, QWidget* parent = nullptr);
};

// "HELP" / "HELP_2": the key template of the layout in force.
class THelpDialog : public QDialog {
  Q_OBJECT
 public:
  THelpDialog(const HelpModel& model, std::function<void()> onPrint, QWidget* parent = nullptr);
};
