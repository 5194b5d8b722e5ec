#include "gui/optionspages.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "commands/keytable.hpp"
#include "gui/dialogs.hpp"
#include "gui/qthost.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

QLineEdit* field(const QString& name, int maxLength, QWidget* parent) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setMaxLength(maxLength);
  restrictToLatin1(*e);
  return e;
}

std::string bytes(const QLineEdit* e) { return toLatin1(e->text()).value_or(""); }

void setText(QLineEdit* e, const std::string& text) {
  e->setText(fromLatin1(text));
  e->setCursorPosition(0);
}

void paintItem(QListWidgetItem* item, const MarkUpItem& entry) {
  item->setForeground(qColour(entry.textColour));
  item->setBackground(qColour(entry.backColour));
}

QPushButton* button(const QString& text, const QString& name, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

// The open dialog through the host, for the Browse buttons.
void browseInto(Host& host, QLineEdit* target, const std::string& filter) {
  std::optional<std::string> name = host.openFileDialog(filter, "Open");
  if (name && !name->empty()) {
    setText(target, *name);
    Q_EMIT target->textEdited(target->text());
  }
}

}  // namespace

OptionsPage::OptionsPage(OptionsModel& model, const ModalRunner& run, QWidget* parent)
    : QWidget(parent), model_(model), run_(run) {}

// ---- EDITOR_OPTIONS ----

EditorOptionsDlg::EditorOptionsDlg(OptionsModel& model, const ModalRunner& run, QWidget* parent)
    : OptionsPage(model, run, parent) {
  setObjectName("EDITOR_OPTIONS");
  autoSave_ = field("9101", 128, this);
  tabSize_ = field("9102", 128, this);
  autoSave_->setMaximumWidth(80);
  tabSize_->setMaximumWidth(80);
  syntax_ = new QCheckBox("&Syntax Highlighting", this);
  syntax_->setObjectName("201");
  unknown_ = new QCheckBox("&Highlight Unknown Files", this);
  unknown_->setObjectName("206");
  backup_ = new QCheckBox("&Backup files", this);
  backup_->setObjectName("202");
  autoSaveTop_ = new QCheckBox("&Autosave on exit fold at the top level", this);
  autoSaveTop_->setObjectName("205");

  auto* group = new QGroupBox("Keyboard Layout", this);
  group->setObjectName("14");
  layouts_ = new QButtonGroup(this);
  auto* groupLayout = new QVBoxLayout(group);
  const char* names[] = {"15", "16", "17"};
  for (int layout = kLayoutStandard; layout <= kLayoutUser; ++layout) {
    auto* r = new QRadioButton(QString::fromStdString(::layoutCaption(layout)), group);
    r->setObjectName(names[layout - 1]);
    layouts_->addButton(r, layout);
    groupLayout->addWidget(r);
  }
  layoutCaption_ = new QLabel(group);
  layoutCaption_->setObjectName("layoutCaption");
  groupLayout->addWidget(layoutCaption_);

  auto* numbers = new QGridLayout;
  numbers->addWidget(new QLabel("Auto&save every (minutes, 0 = never):", this), 0, 0);
  numbers->addWidget(autoSave_, 0, 1);
  numbers->addWidget(new QLabel("&Tab size (1 to 20):", this), 1, 0);
  numbers->addWidget(tabSize_, 1, 1);
  numbers->setColumnStretch(2, 1);
  qobject_cast<QLabel*>(numbers->itemAtPosition(0, 0)->widget())->setBuddy(autoSave_);
  qobject_cast<QLabel*>(numbers->itemAtPosition(1, 0)->widget())->setBuddy(tabSize_);

  auto* highlight = new QGroupBox("Highlighting", this);
  auto* hl = new QVBoxLayout(highlight);
  hl->addWidget(syntax_);
  auto* indented = new QHBoxLayout;
  indented->addSpacing(20);
  indented->addWidget(unknown_);
  hl->addLayout(indented);

  auto* files = new QGroupBox("Files", this);
  auto* fl = new QVBoxLayout(files);
  fl->addWidget(backup_);
  fl->addWidget(autoSaveTop_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(numbers);
  layout->addWidget(highlight);
  layout->addWidget(files);
  layout->addWidget(group);
  layout->addStretch(1);

  connect(autoSave_, &QLineEdit::textEdited, this,
          [this] { model_.editorPage().autoSave = bytes(autoSave_); });
  connect(tabSize_, &QLineEdit::textEdited, this,
          [this] { model_.editorPage().tabSize = bytes(tabSize_); });
  connect(syntax_, &QCheckBox::toggled, this, &EditorOptionsDlg::syntaxToggled);
  connect(unknown_, &QCheckBox::toggled, this,
          [this](bool on) { model_.setHighlightUnknownFiles(on); });
  connect(backup_, &QCheckBox::toggled, this, [this](bool on) { model_.editorPage().backup = on; });
  connect(autoSaveTop_, &QCheckBox::toggled, this,
          [this](bool on) { model_.editorPage().autoSaveAtTopLevel = on; });
  connect(layouts_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
    if (on) layoutChosen(id);
  });
}

QRadioButton* EditorOptionsDlg::layoutButton(int layout) const {
  return qobject_cast<QRadioButton*>(layouts_->button(layout));
}

void EditorOptionsDlg::setUp() {
  setUp_ = true;
  const EditorOptions e = model_.editorPage();  // a copy: the signals below write back
  setText(autoSave_, e.autoSave);
  setText(tabSize_, e.tabSize);
  syntax_->setChecked(e.syntaxHighlighting);
  unknown_->setChecked(e.highlightUnknownFiles);
  syntaxToggled(e.syntaxHighlighting);
  backup_->setChecked(e.backup);
  autoSaveTop_->setChecked(e.autoSaveAtTopLevel);
  if (QAbstractButton* b = layouts_->button(e.layout)) b->setChecked(true);
  layoutChosen(e.layout);
}

void EditorOptionsDlg::syntaxToggled(bool on) {
  model_.setSyntaxHighlighting(on);
  if (!on) unknown_->setChecked(false);
  unknown_->setEnabled(on);
  if (on) unknown_->setChecked(model_.editorPage().highlightUnknownFiles);
}

void EditorOptionsDlg::layoutChosen(int layout) {
  model_.editorPage().layout = layout;
  layoutCaption_->setText("Layout: " + QString::fromStdString(::layoutCaption(layout)));
}

// ---- COMPILER_OPTIONS ----

CompilerOptionsDlg::CompilerOptionsDlg(OptionsModel& model, const ModalRunner& run, Host& host,
                                       QWidget* parent)
    : OptionsPage(model, run, parent), host_(host) {
  setObjectName("COMPILER_OPTIONS");
  cmdLine_ = field("compilerCmdLine", 131, this);
  external_ = new QRadioButton("&External compiler", this);
  external_->setObjectName("externalCompiler");
  builtIn_ = new QRadioButton("B&uilt-in transputer compiler", this);
  builtIn_->setObjectName("builtInCompiler");
  auto* choice = new QButtonGroup(this);
  choice->addButton(external_);
  choice->addButton(builtIn_);
  linkAddress_ = field("linkAddress", 15, this);
  linkTimeout_ = field("linkTimeout", 15, this);
  iccBtlPath_ = field("iccBtlPath", 255, this);
  parameters_ = field("compilerParameters", 255, this);
  browse_ = button("&Browse...", "browseIccBtl", this);

  auto* externalBox = new QGroupBox("External compiler", this);
  auto* eb = new QGridLayout(externalBox);
  eb->addWidget(new QLabel("Command line", externalBox), 0, 0);
  eb->addWidget(cmdLine_, 0, 1);

  auto* builtInBox = new QGroupBox("Built-in transputer compiler", this);
  auto* bb = new QGridLayout(builtInBox);
  bb->addWidget(new QLabel("LINK ADDRESS :", builtInBox), 0, 0);
  bb->addWidget(linkAddress_, 0, 1);
  bb->addWidget(new QLabel("LINK TIMEOUT :", builtInBox), 1, 0);
  bb->addWidget(linkTimeout_, 1, 1);
  bb->addWidget(new QLabel("ICC.BTL  PATH :", builtInBox), 2, 0);
  bb->addWidget(iccBtlPath_, 2, 1);
  bb->addWidget(browse_, 2, 2);
  bb->addWidget(new QLabel("PARAMETERS", builtInBox), 3, 0);
  bb->addWidget(parameters_, 3, 1, 1, 2);
  linkAddress_->setMaximumWidth(140);
  linkTimeout_->setMaximumWidth(140);

  auto* radios = new QHBoxLayout;
  radios->addWidget(external_);
  radios->addWidget(builtIn_);
  radios->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(radios);
  layout->addWidget(externalBox);
  layout->addWidget(builtInBox);
  layout->addStretch(1);

  auto bind = [this](QLineEdit* e, std::string CompilerOptions::*member) {
    connect(e, &QLineEdit::textEdited, this,
            [this, e, member] { model_.compilerPage().*member = bytes(e); });
  };
  bind(cmdLine_, &CompilerOptions::cmdLine);
  bind(linkAddress_, &CompilerOptions::linkAddress);
  bind(linkTimeout_, &CompilerOptions::linkTimeout);
  bind(iccBtlPath_, &CompilerOptions::iccBtlPath);
  bind(parameters_, &CompilerOptions::parameters);
  connect(external_, &QRadioButton::toggled, this,
          [this](bool on) { model_.compilerPage().external = on; });
  // Only the fields of the compiler chosen can be edited.
  auto grayOther = [this, externalBox, builtInBox] {
    externalBox->setEnabled(external_->isChecked());
    builtInBox->setEnabled(builtIn_->isChecked());
  };
  connect(external_, &QRadioButton::toggled, this, grayOther);
  connect(builtIn_, &QRadioButton::toggled, this, grayOther);
  connect(browse_, &QPushButton::clicked, this, &CompilerOptionsDlg::browse);
}

void CompilerOptionsDlg::setUp() {
  setUp_ = true;
  const CompilerOptions c = model_.compilerPage();
  setText(cmdLine_, c.cmdLine);
  setText(linkAddress_, c.linkAddress);
  setText(linkTimeout_, c.linkTimeout);
  setText(iccBtlPath_, c.iccBtlPath);
  setText(parameters_, c.parameters);
  (c.external ? external_ : builtIn_)->setChecked(true);
}

void CompilerOptionsDlg::browse() {
  browseInto(host_, iccBtlPath_, "Transputer binary files (*.btl)|*.btl|All files (*.*)|*.*|");
}

// ---- MAKER_OPTIONS ----

MakerOptionsDlg::MakerOptionsDlg(OptionsModel& model, const ModalRunner& run, Host& host,
                                 QWidget* parent)
    : OptionsPage(model, run, parent), host_(host) {
  setObjectName("MAKER_OPTIONS");
  workingDirectory_ = field("makerWorkingDirectory", 255, this);
  external_ = new QRadioButton("&External maker", this);
  external_->setObjectName("externalMaker");
  internal_ = new QRadioButton("&Internal maker", this);
  internal_->setObjectName("internalMaker");
  auto* choice = new QButtonGroup(this);
  choice->addButton(external_);
  choice->addButton(internal_);
  cmdLine_ = field("makerCmdLine", 131, this);
  makefile_ = field("makefile", 255, this);
  parameters_ = field("makerParameters", 255, this);
  browse_ = button("&Browse...", "browseMakefile", this);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Working directory", this), 0, 0);
  grid->addWidget(workingDirectory_, 0, 1, 1, 2);

  auto* externalBox = new QGroupBox("External maker", this);
  auto* eb = new QGridLayout(externalBox);
  eb->addWidget(new QLabel("Command line", externalBox), 0, 0);
  eb->addWidget(cmdLine_, 0, 1);

  auto* internalBox = new QGroupBox("Internal maker", this);
  auto* ib = new QGridLayout(internalBox);
  ib->addWidget(new QLabel("Make file", internalBox), 0, 0);
  ib->addWidget(makefile_, 0, 1);
  ib->addWidget(browse_, 0, 2);
  ib->addWidget(new QLabel("Parameters", internalBox), 1, 0);
  ib->addWidget(parameters_, 1, 1, 1, 2);

  auto* radios = new QHBoxLayout;
  radios->addWidget(external_);
  radios->addWidget(internal_);
  radios->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(radios);
  layout->addWidget(externalBox);
  layout->addWidget(internalBox);
  layout->addStretch(1);

  auto bind = [this](QLineEdit* e, std::string MakerOptions::*member) {
    connect(e, &QLineEdit::textEdited, this,
            [this, e, member] { model_.makerPage().*member = bytes(e); });
  };
  bind(workingDirectory_, &MakerOptions::workingDirectory);
  bind(cmdLine_, &MakerOptions::cmdLine);
  bind(makefile_, &MakerOptions::makefile);
  bind(parameters_, &MakerOptions::parameters);
  connect(external_, &QRadioButton::toggled, this,
          [this](bool on) { model_.makerPage().external = on; });
  auto grayOther = [this, externalBox, internalBox] {
    externalBox->setEnabled(external_->isChecked());
    internalBox->setEnabled(internal_->isChecked());
  };
  connect(external_, &QRadioButton::toggled, this, grayOther);
  connect(internal_, &QRadioButton::toggled, this, grayOther);
  connect(browse_, &QPushButton::clicked, this, &MakerOptionsDlg::browse);
}

void MakerOptionsDlg::setUp() {
  setUp_ = true;
  const MakerOptions m = model_.makerPage();
  setText(workingDirectory_, m.workingDirectory);
  setText(cmdLine_, m.cmdLine);
  setText(makefile_, m.makefile);
  setText(parameters_, m.parameters);
  (m.external ? external_ : internal_)->setChecked(true);
}

void MakerOptionsDlg::browse() {
  browseInto(host_, makefile_, "Maker script files (*.mak)|*.mak|All files (*.*)|*.*|");
}

// ---- COLORS_OPTIONS ----

MarkUpDialog::MarkUpDialog(OptionsModel& model, const ModalRunner& run, QWidget* parent)
    : OptionsPage(model, run, parent) {
  setObjectName("COLORS_OPTIONS");
  files_ = new QListWidget(this);
  files_->setObjectName("markUpFiles");
  files_->setMaximumWidth(170);
  keywordBox_ = new QGroupBox(this);
  keywordBox_->setObjectName("keywordBox");
  keywords_ = new QListWidget(keywordBox_);
  keywords_->setObjectName("keywords");
  sample_ = new QLabel("Keyword will be looked like", keywordBox_);
  sample_->setObjectName("sample");
  sample_->setAutoFillBackground(true);
  sample_->setAlignment(Qt::AlignCenter);
  sample_->setMargin(6);
  sample_->setFrameShape(QFrame::Box);
  auto* add = button("&Add Keyword", "addKeyword", this);
  auto* edit = button("&Edit Keyword", "editKeyword", this);
  auto* del = button("&Delete Keyword", "deleteKeyword", this);

  auto* filesBox = new QGroupBox("Highlighting files", this);
  auto* fb = new QVBoxLayout(filesBox);
  fb->addWidget(files_);

  auto* kb = new QVBoxLayout(keywordBox_);
  kb->addWidget(keywords_);
  kb->addWidget(sample_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(edit);
  buttons->addWidget(del);
  kb->addLayout(buttons);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(filesBox);
  layout->addWidget(keywordBox_, 1);

  connect(files_, &QListWidget::currentRowChanged, this, &MarkUpDialog::fileChosen);
  connect(keywords_, &QListWidget::currentRowChanged, this, &MarkUpDialog::keywordChosen);
  connect(keywords_, &QListWidget::itemDoubleClicked, this, &MarkUpDialog::editKeyword);
  connect(add, &QPushButton::clicked, this, &MarkUpDialog::addKeyword);
  connect(edit, &QPushButton::clicked, this, &MarkUpDialog::editKeyword);
  connect(del, &QPushButton::clicked, this, &MarkUpDialog::deleteKeyword);
}

void MarkUpDialog::setUp() {
  setUp_ = true;
  const int was = files_->currentRow();
  const auto& types = model_.colorsPage();
  QSignalBlocker block(files_);
  files_->clear();
  for (const OptionsFileType& t : types) {
    auto* item = new QListWidgetItem(fromLatin1(t.markupFile), files_);
    item->setToolTip(fromLatin1(t.name));
  }
  if (!types.empty())
    files_->setCurrentRow(std::clamp(was, 0, static_cast<int>(types.size()) - 1));
  fileChosen();
}

void MarkUpDialog::fileChosen() { fillKeywords(0); }

void MarkUpDialog::fillKeywords(int select) {
  const int t = files_->currentRow();
  const auto& types = model_.fileTypes();
  QSignalBlocker block(keywords_);
  keywords_->clear();
  if (t < 0 || static_cast<size_t>(t) >= types.size()) {
    keywordBox_->setTitle("List of keywords");
    keywordChosen();
    return;
  }
  const OptionsFileType& type = types[static_cast<size_t>(t)];
  keywordBox_->setTitle("List of " + fromLatin1(type.markupFile) + " keywords");
  for (const auto& kw : type.keywords) paintItem(new QListWidgetItem(fromLatin1(kw->text), keywords_), *kw);
  if (!type.keywords.empty())
    keywords_->setCurrentRow(std::clamp(select, 0, static_cast<int>(type.keywords.size()) - 1));
  keywordChosen();
}

void MarkUpDialog::keywordChosen() {
  const int t = files_->currentRow();
  const int k = keywords_->currentRow();
  const auto& types = model_.fileTypes();
  uint32_t text = 0x000000, back = 0xFFFFFF;
  if (t >= 0 && static_cast<size_t>(t) < types.size()) {
    const OptionsFileType& type = types[static_cast<size_t>(t)];
    const MarkUpItem* shown = k >= 0 && static_cast<size_t>(k) < type.keywords.size()
                                  ? type.keywords[static_cast<size_t>(k)].get()
                                  : type.slots[static_cast<size_t>(kPlainText)].get();
    text = shown->textColour;
    back = shown->backColour;
  }
  QPalette pal = sample_->palette();
  pal.setColor(QPalette::WindowText, qColour(text));
  pal.setColor(QPalette::Window, qColour(back));
  sample_->setPalette(pal);
}

void MarkUpDialog::addKeyword() {
  if (!model_.canAddKeyword()) return;
  const int t = std::max(0, files_->currentRow());
  EditColorValues start;
  const auto& types = model_.fileTypes();
  if (static_cast<size_t>(t) < types.size() && !types[static_cast<size_t>(t)].keywords.empty()) {
    const MarkUpItem& last = *types[static_cast<size_t>(t)].keywords.back();
    start.textColour = last.textColour;
    start.backColour = last.backColour;
  }
  int added = -1;
  ColourDialog dlg("Add new Keyword", start, ColourDialog::Kind::Keyword,
                 [&](const EditColorValues& v) { return (added = model_.addKeyword(t, v)) >= 0; },
                 this);
  if (runTaking(run_, dlg)) fillKeywords(added);
}

void MarkUpDialog::editKeyword() {
  const int t = files_->currentRow();
  const int k = keywords_->currentRow();
  if (!model_.canEditKeyword(t, k)) return;
  const MarkUpItem& kw = *model_.fileTypes()[static_cast<size_t>(t)].keywords[static_cast<size_t>(k)];
  ColourDialog dlg("Edit current Keyword", {kw.text, kw.textColour, kw.backColour},
                 ColourDialog::Kind::Keyword,
                 [&](const EditColorValues& v) { return model_.editKeyword(t, k, v); }, this);
  if (runTaking(run_, dlg)) fillKeywords(k);
}

void MarkUpDialog::deleteKeyword() {
  const int t = files_->currentRow();
  const int k = keywords_->currentRow();
  if (model_.deleteKeyword(t, k)) fillKeywords(k);
}

// ---- FILE_TYPE_OPTIONS ----

FileTypeDialog::FileTypeDialog(OptionsModel& model, const ModalRunner& run, QWidget* parent)
    : OptionsPage(model, run, parent) {
  setObjectName("FILE_TYPE_OPTIONS");
  types_ = new QListWidget(this);
  types_->setObjectName("fileTypes");
  types_->setMaximumWidth(170);
  featureBox_ = new QGroupBox(this);
  featureBox_->setObjectName("featureBox");
  features_ = new QTreeWidget(featureBox_);
  features_->setObjectName("features");
  features_->setColumnCount(2);
  features_->setHeaderLabels({"Feature", "Value"});
  features_->setRootIsDecorated(false);
  features_->setUniformRowHeights(true);
  // Only the name is marked, so the value keeps showing its colours.
  features_->setSelectionBehavior(QAbstractItemView::SelectItems);
  features_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  auto* edit = button("&Edit current Feature", "editFeature", this);
  auto* create = button("&Create new File Type", "createFileType", this);
  auto* del = button("&Delete File Type", "deleteFileType", this);

  auto* typesBox = new QGroupBox("File Types", this);
  auto* tb = new QVBoxLayout(typesBox);
  tb->addWidget(types_);
  tb->addWidget(create);
  tb->addWidget(del);

  auto* fb = new QVBoxLayout(featureBox_);
  fb->addWidget(features_);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(edit);
  fb->addLayout(row);

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(typesBox);
  layout->addWidget(featureBox_, 1);

  connect(types_, &QListWidget::currentRowChanged, this, &FileTypeDialog::fillFeatures);
  connect(features_, &QTreeWidget::itemDoubleClicked, this, &FileTypeDialog::editFeature);
  connect(edit, &QPushButton::clicked, this, &FileTypeDialog::editFeature);
  connect(create, &QPushButton::clicked, this, &FileTypeDialog::createFileType);
  connect(del, &QPushButton::clicked, this, &FileTypeDialog::deleteFileType);
}

void FileTypeDialog::setUp() {
  setUp_ = true;
  model_.fileTypePage();
  fillTypes(types_->currentRow());
}

void FileTypeDialog::fillTypes(int select) {
  const auto& types = model_.fileTypes();
  {
    QSignalBlocker block(types_);
    types_->clear();
    for (const OptionsFileType& t : types) {
      auto* item = new QListWidgetItem(fromLatin1(t.name), types_);
      item->setToolTip(fromLatin1(t.extensions));
    }
    if (!types.empty()) types_->setCurrentRow(std::clamp(select, 0, static_cast<int>(types.size()) - 1));
  }
  fillFeatures();
}

void FileTypeDialog::fillFeatures() {
  const int t = types_->currentRow();
  const int was = features_->currentIndex().row();
  features_->clear();
  const auto& types = model_.fileTypes();
  if (t < 0 || static_cast<size_t>(t) >= types.size()) {
    featureBox_->setTitle("Features");
    return;
  }
  featureBox_->setTitle("Features of " + fromLatin1(types[static_cast<size_t>(t)].name) +
                        " file type");
  for (int f = 0; f < kFeatureCount; ++f) {
    auto* item = new QTreeWidgetItem(features_);
    item->setText(0, kFeatureNames[static_cast<size_t>(f)]);
    QString value = fromLatin1(model_.featureText(t, f));
    if (f == kFeatureCommonText || f == kFeatureSelectedText) value = "Sample text";
    item->setText(1, value);
    if (isColourFeature(f)) {
      const EditColorValues v = model_.featureValues(t, f);
      item->setForeground(1, qColour(v.textColour));
      item->setBackground(1, qColour(v.backColour));
    }
  }
  features_->setCurrentItem(features_->topLevelItem(std::clamp(was, 0, kFeatureCount - 1)), 0);
}

void FileTypeDialog::editFeature() {
  const int t = types_->currentRow();
  const int f = features_->currentIndex().row();
  if (!model_.canEditFeature(t, f)) return;
  ColourDialog::Kind kind = ColourDialog::Kind::Text;
  if (f == kFeatureCommonText || f == kFeatureSelectedText)
    kind = ColourDialog::Kind::ColoursOnly;
  else if (isColourFeature(f))
    kind = ColourDialog::Kind::Colours;
  const QString caption = isColourFeature(f) ? "Edit current Feature Colors" : "Edit current Feature Text";
  ColourDialog dlg(caption, model_.featureValues(t, f), kind,
                 [&](const EditColorValues& v) { return model_.setFeature(t, f, v); }, this);
  if (runTaking(run_, dlg)) fillFeatures();
}

void FileTypeDialog::createFileType() {
  std::vector<std::string> names;
  for (const OptionsFileType& t : model_.fileTypePage()) names.push_back(t.name);
  int added = -1;
  AddFileTypeDialog dlg(names,
                   [&](const NewFileType& r) { return (added = model_.addFileType(r)) >= 0; }, this);
  if (types_->currentRow() >= 0) dlg.modelBox()->setCurrentIndex(types_->currentRow());
  if (runTaking(run_, dlg)) fillTypes(added);
}

void FileTypeDialog::deleteFileType() {
  const int t = types_->currentRow();
  if (model_.deleteFileType(t)) fillTypes(t);
}
