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
class QFontComboBox;
class QSpinBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Places a window of ours that is about to be shown inside the frame: in
// the frame's client area below its menu and tool bar (in its middle, or
// at its top, bottom or left edge as `where` says),
// made no larger than that area when it can be, and never larger than the
// screen. Without a frame the window goes in the middle of the screen.
void placeInside(QWidget& window, const QWidget* frame, Qt::Alignment where = Qt::AlignVCenter);

// A line edit that takes single-byte (Latin-1) text only: a character
// beyond it is refused with a beep.
void restrictToLatin1(QLineEdit& edit);

// "GET_COM": the comment convention of a file type nobody knows.
class CommentConventionDialog : public QDialog {
  Q_OBJECT
 public:
  CommentConventionDialog(const CommentAnswer& offered, QWidget* parent = nullptr);
  CommentAnswer answer() const;

 private:
  QLineEdit* typeName_;
  QLineEdit* commentStart_;
  QLineEdit* commentEnd_;
};

// "INPUT", "INPUT2" and the like: one labelled field of bounded length.
class InputDialog : public QDialog {
  Q_OBJECT
 public:
  InputDialog(const std::string& resource, const std::string& label,
               const std::string& defaultText, int maxLen, QWidget* parent = nullptr);
  std::string text() const;
  QLineEdit* field() const { return field_; }

 private:
  QLineEdit* field_;
};

// "SYMBOL": the characters 32..255 in a grid; one is picked to be inserted.
class SymbolDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SymbolDialog(QWidget* parent = nullptr);
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
class FindDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FindDialog(const SearchRequest& defaults, QWidget* parent = nullptr);
  SearchRequest request() const;

 protected:
  FindDialog(const SearchRequest& defaults, bool replace, QWidget* parent);

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

class FindReplaceDialog : public FindDialog {
  Q_OBJECT
 public:
  explicit FindReplaceDialog(const SearchRequest& defaults, QWidget* parent = nullptr);
};

// "FontDlg", captioned "Font": the printer font. It offers the fixed-pitch
// faces only (a printout keeps its columns) in sizes of 8 to 72 points,
// with bold and italic, and a sample.
class PrinterFontDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kSmallest = 8;
  static constexpr int kLargest = 72;
  explicit PrinterFontDialog(const QFont& initial, QWidget* parent = nullptr);
  // A face the list does not hold leaves the face shown as it was; the
  // size is kept within 8 to 72.
  void setCurrentFont(const QFont& font);
  QFont currentFont() const;
  QFontComboBox* face() const { return face_; }
  QSpinBox* size() const { return size_; }

 private:
  void showSample();

  QFontComboBox* face_;
  QSpinBox* size_;
  QCheckBox* bold_;
  QCheckBox* italic_;
  QLabel* sample_;
};

// "HELP" / "HELP_2": the key template of the layout in force.
class HelpDialog : public QDialog {
  Q_OBJECT
 public:
  HelpDialog(const HelpModel& model, std::function<void()> onPrint, QWidget* parent = nullptr);
};
