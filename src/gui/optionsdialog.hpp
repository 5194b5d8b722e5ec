// The "Options" sheet (command 602): a tab per page over an OptionsModel,
// and the two small dialogs its colours and file-type pages open,
// EDIT_COLOR and ADD_FILE_TYPE. The widgets only show and collect; every
// check and every change belongs to the model.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "app/options.hpp"

class Application;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class QtHost;
class CompilerOptionsDlg;
class EditorOptionsDlg;
class MakerOptionsDlg;
class FileTypeDialog;
class MarkUpDialog;

// Runs a modal dialog: exec(), or the host's test hook when one is set.
using ModalRunner = std::function<int(QDialog&)>;
ModalRunner modalRunner(QtHost& host);

// The colour a 0x00BBGGRR value stands for.
QColor qColour(uint32_t colour);

// EDIT_COLOR: a text and, unless it is a text feature, a text and a
// background colour out of the sixteen named ones. OK hands the values to
// `take`, which refuses them (with its message) by returning false: the
// dialog then stays open.
class ColourDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Kind {
    Keyword,     // text and colours
    Colours,     // a feature's sign and colours
    ColoursOnly, // common and selected text: the colours alone
    Text,        // the extension list, the file name
  };
  ColourDialog(const QString& caption, const EditColorValues& values, Kind kind,
             std::function<bool(const EditColorValues&)> take, QWidget* parent = nullptr);

  EditColorValues values() const;
  // Whether `take` has accepted the values.
  bool taken() const { return taken_; }
  void accept() override;

  QLineEdit* textField() const { return text_; }
  QComboBox* textColourBox() const { return textColour_; }
  QComboBox* backColourBox() const { return backColour_; }
  // The text in the chosen colours.
  QLabel* sample() const { return sample_; }

 private:
  void showSample();

  QLineEdit* text_;
  QComboBox* textColour_ = nullptr;
  QComboBox* backColour_ = nullptr;
  QLabel* sample_ = nullptr;
  std::function<bool(const EditColorValues&)> take_;
  bool taken_ = false;
};

// ADD_FILE_TYPE: the new type's name, its highlighting file and the type
// whose highlighting file is the pattern (or none).
class AddFileTypeDialog : public QDialog {
  Q_OBJECT
 public:
  AddFileTypeDialog(const std::vector<std::string>& typeNames, std::function<bool(const NewFileType&)> take,
               QWidget* parent = nullptr);
  NewFileType request() const;
  bool taken() const { return taken_; }
  void accept() override;

  QLineEdit* nameField() const { return name_; }
  QLineEdit* fileField() const { return file_; }
  // The types in list order, then "(none)".
  QComboBox* modelBox() const { return model_; }

 private:
  QLineEdit* name_;
  QLineEdit* file_;
  QComboBox* model_;
  std::function<bool(const NewFileType&)> take_;
  bool fileEdited_ = false;
  bool taken_ = false;
};

// Runs a dialog of the two above: when a test hook answers Accepted
// without pressing OK itself, OK is pressed once. Whether the values were
// taken.
template <class Dialog>
bool runTaking(const ModalRunner& run, Dialog& dialog) {
  const int result = run(dialog);
  if (result == QDialog::Accepted && !dialog.taken()) dialog.accept();
  return dialog.taken();
}

class OptionsSheet : public QDialog {
  Q_OBJECT
 public:
  OptionsSheet(OptionsModel& model, ModalRunner run, QWidget* parent = nullptr);
  ~OptionsSheet() override;

  QTabWidget* tabs() const { return tabs_; }
  EditorOptionsDlg* editorPage() const { return editor_; }
  CompilerOptionsDlg* compilerPage() const { return compiler_; }
  MakerOptionsDlg* makerPage() const { return maker_; }
  MarkUpDialog* colorsPage() const { return colors_; }
  FileTypeDialog* fileTypePage() const { return fileTypes_; }
  QDialogButtonBox* buttons() const { return buttons_; }

  // OK: the shown pages are applied, then the sheet closes.
  void accept() override;
  bool applied() const { return applied_; }

 private:
  void pageShown(int index);

  OptionsModel& model_;
  ModalRunner run_;  // before the pages, which keep a reference to it
  QTabWidget* tabs_;
  EditorOptionsDlg* editor_;
  CompilerOptionsDlg* compiler_;
  MakerOptionsDlg* maker_;
  MarkUpDialog* colors_;
  FileTypeDialog* fileTypes_;
  QDialogButtonBox* buttons_;
  bool applied_ = false;
};

// Command 602: the sheet over the settings, the application's file types
// and its editor windows. menusChanged runs after a changed layout has
// switched the key table. True when OK applied the sheet.
bool runOptionsCommand(QtHost& host, Application& app, std::function<void()> menusChanged,
                       QWidget* parent);
