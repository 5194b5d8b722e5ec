// The five pages of the "Options" sheet. Each takes its copy from the
// OptionsModel when it is first shown (setUp) and writes every change
// straight into that copy; controls carry their resource ids, or a name
// of their own, as object names.
#pragma once

#include <QWidget>

#include "gui/optionsdialog.hpp"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;

class OptionsPage : public QWidget {
  Q_OBJECT
 public:
  OptionsPage(OptionsModel& model, const ModalRunner& run, QWidget* parent);
  // Fills the controls from the model's copy; the first call takes it.
  virtual void setUp() = 0;
  bool isSetUp() const { return setUp_; }

 protected:
  OptionsModel& model_;
  const ModalRunner& run_;
  bool setUp_ = false;
};

// "EDITOR_OPTIONS"
class EditorOptionsDlg : public OptionsPage {
  Q_OBJECT
 public:
  EditorOptionsDlg(OptionsModel& model, const ModalRunner& run, QWidget* parent = nullptr);
  void setUp() override;

  QLineEdit* autoSave() const { return autoSave_; }   // 9101
  QLineEdit* tabSize() const { return tabSize_; }     // 9102
  QCheckBox* syntax() const { return syntax_; }       // 201
  QCheckBox* unknown() const { return unknown_; }     // 206
  QCheckBox* backup() const { return backup_; }       // 202
  QCheckBox* autoSaveTop() const { return autoSaveTop_; }  // 205
  QRadioButton* layoutButton(int layout) const;       // 15, 16, 17
  QLabel* layoutCaption() const { return layoutCaption_; }

 private:
  void syntaxToggled(bool on);
  void layoutChosen(int layout);

  QLineEdit* autoSave_;
  QLineEdit* tabSize_;
  QCheckBox* syntax_;
  QCheckBox* unknown_;
  QCheckBox* backup_;
  QCheckBox* autoSaveTop_;
  QButtonGroup* layouts_;
  QLabel* layoutCaption_;
};

// "COMPILER_OPTIONS"
class CompilerOptionsDlg : public OptionsPage {
  Q_OBJECT
 public:
  CompilerOptionsDlg(OptionsModel& model, const ModalRunner& run, Host& host,
                     QWidget* parent = nullptr);
  void setUp() override;
  // The file-open dialog for the ICC.BTL file.
  void browse();

  QLineEdit* cmdLine() const { return cmdLine_; }
  QRadioButton* external() const { return external_; }
  QRadioButton* builtIn() const { return builtIn_; }
  QLineEdit* linkAddress() const { return linkAddress_; }
  QLineEdit* linkTimeout() const { return linkTimeout_; }
  QLineEdit* iccBtlPath() const { return iccBtlPath_; }
  QLineEdit* parameters() const { return parameters_; }
  QPushButton* browseButton() const { return browse_; }

 private:
  Host& host_;
  QLineEdit* cmdLine_;
  QRadioButton* external_;
  QRadioButton* builtIn_;
  QLineEdit* linkAddress_;
  QLineEdit* linkTimeout_;
  QLineEdit* iccBtlPath_;
  QLineEdit* parameters_;
  QPushButton* browse_;
};

// "MAKER_OPTIONS"
class MakerOptionsDlg : public OptionsPage {
  Q_OBJECT
 public:
  MakerOptionsDlg(OptionsModel& model, const ModalRunner& run, Host& host,
                  QWidget* parent = nullptr);
  void setUp() override;
  // The file-open dialog for the make file.
  void browse();

  QLineEdit* workingDirectory() const { return workingDirectory_; }
  QRadioButton* external() const { return external_; }
  QRadioButton* internal() const { return internal_; }
  QLineEdit* cmdLine() const { return cmdLine_; }
  QLineEdit* makefile() const { return makefile_; }
  QLineEdit* parameters() const { return parameters_; }
  QPushButton* browseButton() const { return browse_; }

 private:
  Host& host_;
  QLineEdit* workingDirectory_;
  QRadioButton* external_;
  QRadioButton* internal_;
  QLineEdit* cmdLine_;
  QLineEdit* makefile_;
  QLineEdit* parameters_;
  QPushButton* browse_;
};

// "COLORS_OPTIONS": the highlighting file of each type and its keywords.
class MarkUpDialog : public OptionsPage {
  Q_OBJECT
 public:
  MarkUpDialog(OptionsModel& model, const ModalRunner& run, QWidget* parent = nullptr);
  // Also called each time the page comes up: the File Type page may have
  // added or removed types meanwhile.
  void setUp() override;

  void addKeyword();
  void editKeyword();
  void deleteKeyword();

  QListWidget* files() const { return files_; }
  QListWidget* keywords() const { return keywords_; }
  QGroupBox* keywordBox() const { return keywordBox_; }
  QLabel* sample() const { return sample_; }

 private:
  void fileChosen();
  void keywordChosen();
  void fillKeywords(int select);

  QListWidget* files_;
  QGroupBox* keywordBox_;
  QListWidget* keywords_;
  QLabel* sample_;
};

// "FILE_TYPE_OPTIONS": the file types and the features of the one chosen.
class FileTypeDialog : public OptionsPage {
  Q_OBJECT
 public:
  FileTypeDialog(OptionsModel& model, const ModalRunner& run, QWidget* parent = nullptr);
  void setUp() override;

  void editFeature();
  void createFileType();
  void deleteFileType();

  QListWidget* types() const { return types_; }
  QGroupBox* featureBox() const { return featureBox_; }
  QTreeWidget* features() const { return features_; }

 private:
  void fillTypes(int select);
  void fillFeatures();

  QListWidget* types_;
  QGroupBox* featureBox_;
  QTreeWidget* features_;
};
