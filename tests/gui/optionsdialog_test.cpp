// The "Options" sheet on screen: its pages and controls, the dialogs its
// buttons open, and what OK and Cancel do. Boxes and dialogs are answered
// through the host's test hooks.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <deque>
#include <memory>

#include "app/options.hpp"
#include "commands/keytable.hpp"
#include "commands/keytree.hpp"
#include "gui/guiapp.hpp"
#include "gui/mainframe.hpp"
#include "gui/menus.hpp"
#include "gui/optionsdialog.hpp"
#include "gui/optionspages.hpp"
#include "gui/qthost.hpp"
#include "model/filetypes.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

template <class T>
T* child(QWidget* parent, const char* name) {
  T* w = parent->findChild<T*>(name);
  if (!w) qWarning("no child %s", name);
  return w;
}

// A sheet over the shipped file types, with no editor window.
// The sheet of an editor of its own; while it lives the case's settings()
// are that editor's, and they are handed back when it goes.
struct Sheet {
  explicit Sheet(Settings*& live) : live_(live), preset_(live) {
    ctx.settings = *live;
    live = &ctx.settings;
    host.answerBox = [this](const std::string& text, const std::string&,
                            MbButtons) -> std::optional<MbResult> {
      boxes.push_back(text);
      if (answers.empty()) return MbResult::Ok;
      MbResult a = answers.front();
      answers.pop_front();
      return a;
    };
    host.runDialog = [this](QDialog& d) {
      ++dialogsRun;
      return onDialog ? onDialog(d) : int(QDialog::Rejected);
    };
    types.load(host);
    model = std::make_unique<OptionsModel>(ctx, types, nullptr);
    sheet = std::make_unique<OptionsSheet>(*model, modalRunner(host));
  }
  void showPage(int index) { sheet->tabs()->setCurrentIndex(index); }
  int typeRow(QListWidget* list, const QString& name) {
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->text() == name) return i;
    return -1;
  }

  ~Sheet() {
    sheet.reset();
    model.reset();
    *preset_ = ctx.settings;
    live_ = preset_;
  }
  Settings*& live_;
  Settings* preset_;
  QtHost host;
  EditorContext ctx{host};
  FileTypeList types;
  std::unique_ptr<OptionsModel> model;
  std::unique_ptr<OptionsSheet> sheet;
  std::vector<std::string> boxes;
  std::deque<MbResult> answers;
  std::function<int(QDialog&)> onDialog;
  int dialogsRun = 0;
};

}  // namespace

class OptionsDialogTest : public QObject {
  Settings preset_;
  Settings* live_ = &preset_;
  Settings& settings() { return *live_; }
  Q_OBJECT

 private:
  std::unique_ptr<TempDir> config;

 private Q_SLOTS:
  void init() {
    config = std::make_unique<TempDir>();
    setConfigDir(config->path());
    setProgramDir(PLICATO_BIN_DIR);
    preset_ = Settings{};
    live_ = &preset_;
    ::unsetenv("PLICATO_WIN32S");
  }
  void cleanup() {
    setConfigDir("");
    config.reset();
  }

  void pagesInOrderWithTheirResources() {
    Sheet s(live_);
    QCOMPARE(s.sheet->windowTitle(), QString("Options"));
    const QStringList titles = {"Editor Options", "Compiler Options", "Maker Options",
                                "Colors Options", "File Type Options"};
    const QStringList names = {"EDITOR_OPTIONS", "COMPILER_OPTIONS", "MAKER_OPTIONS",
                               "COLORS_OPTIONS", "FILE_TYPE_OPTIONS"};
    QCOMPARE(s.sheet->tabs()->count(), 5);
    for (int i = 0; i < 5; ++i) {
      QCOMPARE(s.sheet->tabs()->tabText(i), titles[i]);
      QCOMPARE(s.sheet->tabs()->widget(i)->objectName(), names[i]);
    }
    for (const char* id : {"9101", "9102", "201", "206", "202", "205", "14", "15", "16", "17"})
      QVERIFY2(s.sheet->findChild<QWidget*>(id), id);
    QCOMPARE(child<QRadioButton>(s.sheet.get(), "16")->text(), QString("Windows"));
    // Only the page on screen has taken its copy.
    QVERIFY(s.model->editorShown());
    QVERIFY(!s.model->compilerShown());
    QVERIFY(!s.model->colorsShown());
  }

  void unknownFilesGrayedWithoutHighlighting() {
    settings().syntaxHighlighting = false;
    settings().highlightUnknownFiles = true;
    Sheet s(live_);
    auto* on = child<QCheckBox>(s.sheet.get(), "201");
    auto* unknown = child<QCheckBox>(s.sheet.get(), "206");
    QVERIFY(!on->isChecked());
    QVERIFY(!unknown->isEnabled());
    QVERIFY(!unknown->isChecked());
    on->click();
    QVERIFY(unknown->isEnabled());
    unknown->click();
    QVERIFY(unknown->isChecked());
    on->click();
    QVERIFY(!unknown->isEnabled());
    QVERIFY(!unknown->isChecked());
    s.sheet->accept();
    QVERIFY(!settings().syntaxHighlighting);
    QVERIFY(!settings().highlightUnknownFiles);
  }

  void editorFieldsReachTheSettings() {
    Sheet s(live_);
    auto* tab = child<QLineEdit>(s.sheet.get(), "9102");
    QCOMPARE(tab->text(), QString("8"));
    tab->clear();
    QTest::keyClicks(tab, "25");
    child<QLineEdit>(s.sheet.get(), "9101")->clear();
    QTest::keyClicks(child<QLineEdit>(s.sheet.get(), "9101"), "5");
    child<QCheckBox>(s.sheet.get(), "202")->click();
    s.sheet->buttons()->button(QDialogButtonBox::Ok)->click();
    QVERIFY(s.sheet->applied());
    QCOMPARE(settings().tabSize, 20);
    QCOMPARE(settings().autoSave, 5);
    QVERIFY(settings().backup);
  }

  void layoutChangeSwitchesKeysAndMenus() {
    auto h = std::make_unique<QtHost>();
    QtHost* host = h.get();
    host->answerBox = [](const std::string&, const std::string&, MbButtons) {
      return std::optional<MbResult>(MbResult::Ok);
    };
    int sheetsRun = 0;
    host->runDialog = [&sheetsRun](QDialog& d) {
      auto* sheet = qobject_cast<OptionsSheet*>(&d);
      if (!sheet) return int(QDialog::Rejected);
      ++sheetsRun;
      child<QRadioButton>(sheet, "15")->click();
      return int(QDialog::Accepted);
    };
    DesktopApplication app(std::move(h));
    CommandLine line;
    line.configDir = config->path();
    app.start(line);
    QCOMPARE(app.context().settings.keyboardLayout, int(kLayoutWindows));
    QCOMPARE(app.frame()->menuResource(), std::string("MAIN_MENU_WIN"));
    const uint8_t ctrlA[] = {1};
    QCOMPARE(app.context().keyTree.lookup(ctrlA, 1), 294);  // save as

    // Command 602 of the frame runs the sheet.
    QVERIFY(app.frame()->frameAction(cmOptions)->isEnabled());
    app.frame()->runFrameCommand(cmOptions);
    QCOMPARE(sheetsRun, 1);
    QCOMPARE(app.context().settings.keyboardLayout, int(kLayoutStandard));
    QCOMPARE(app.context().keyTree.lookup(ctrlA, 1), 287);  // autofold
    QCOMPARE(app.frame()->menuResource(), std::string("MAIN_MENU_PLI"));
    QCOMPARE(app.frame()->documentMenuResource(), std::string("MENU_PLI"));
    QVERIFY(app.frame()->editorAction(cmdEnterFold)->text().endsWith("\tHome"));
    app.frame()->close();
  }

  void keywordAddedOnTheColorsPage() {
    Sheet s(live_);
    s.showPage(3);
    auto* files = child<QListWidget>(s.sheet.get(), "markUpFiles");
    auto* box = child<QGroupBox>(s.sheet.get(), "keywordBox");
    QCOMPARE(files->count(), 10);
    files->setCurrentRow(s.typeRow(files, "ansi_c.mrk"));
    QCOMPARE(box->title(), QString("List of ansi_c.mrk keywords"));

    QString caption;
    s.onDialog = [&](QDialog& d) {
      auto& edit = dynamic_cast<ColourDialog&>(d);
      caption = d.windowTitle();
      edit.textField()->setText("int");  // listed already: refused, the dialog stays
      edit.accept();
      if (edit.taken()) return int(QDialog::Accepted);
      edit.textField()->setText("fooword");
      edit.textColourBox()->setCurrentText("RED");
      edit.backColourBox()->setCurrentText("YELLOW");
      edit.accept();
      return edit.result();
    };
    child<QPushButton>(s.sheet.get(), "addKeyword")->click();
    QCOMPARE(caption, QString("Add new Keyword"));
    QCOMPARE(s.boxes, std::vector<std::string>{"Keyword\nint\nalready exists."});
    auto* keywords = child<QListWidget>(s.sheet.get(), "keywords");
    QCOMPARE(keywords->currentItem()->text(), QString("fooword"));
    // The sample shows the keyword's colours.
    auto* sample = child<QLabel>(s.sheet.get(), "sample");
    QCOMPARE(sample->text(), QString("Keyword will be looked like"));
    QCOMPARE(sample->palette().color(QPalette::WindowText), QColor(0x80, 0, 0));
    QCOMPARE(sample->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0));

    // Nothing to edit in a file without keywords.
    s.boxes.clear();
    files->setCurrentRow(s.typeRow(files, "allother.mrk"));
    QCOMPARE(keywords->count(), 0);
    const int before = s.dialogsRun;
    child<QPushButton>(s.sheet.get(), "editKeyword")->click();
    child<QPushButton>(s.sheet.get(), "deleteKeyword")->click();
    QCOMPARE(s.dialogsRun, before);
    QCOMPARE(s.boxes, (std::vector<std::string>{"There is no keyword to edit",
                                                "There is no keyword to delete"}));

    s.sheet->accept();
    QVERIFY(readFile(config->file("ansi_c.mrk")).find("fooword       RED               YELLOW") !=
            std::string::npos);
  }

  void fileTypePageRulesAndNewType() {
    Sheet s(live_);
    s.showPage(4);
    auto* types = child<QListWidget>(s.sheet.get(), "fileTypes");
    auto* features = child<QTreeWidget>(s.sheet.get(), "features");
    types->setCurrentRow(s.typeRow(types, "ALL_OTHER"));
    QCOMPARE(child<QGroupBox>(s.sheet.get(), "featureBox")->title(),
             QString("Features of ALL_OTHER file type"));
    QCOMPARE(features->topLevelItemCount(), kFeatureCount);
    features->setCurrentItem(features->topLevelItem(kFeatureExtensionList));
    child<QPushButton>(s.sheet.get(), "editFeature")->click();
    QCOMPARE(s.dialogsRun, 0);
    QCOMPARE(s.boxes, std::vector<std::string>{kAllOtherFeaturesText});
    child<QPushButton>(s.sheet.get(), "deleteFileType")->click();
    QCOMPARE(s.boxes.back(), std::string("FileType ALL_OTHER can't be deleted."));

    // A bad comment pair keeps the dialog open; a good one is taken.
    types->setCurrentRow(s.typeRow(types, "C"));
    features->setCurrentItem(features->topLevelItem(kFeatureBeginEndComment));
    QString caption;
    s.onDialog = [&](QDialog& d) {
      auto& edit = dynamic_cast<ColourDialog&>(d);
      caption = d.windowTitle();
      edit.textField()->setText("/**/");
      edit.accept();
      if (edit.taken()) return int(QDialog::Accepted);
      edit.textField()->setText("/* */");
      edit.backColourBox()->setCurrentText("LIGHTGRAY");
      edit.accept();
      return edit.result();
    };
    s.boxes.clear();
    child<QPushButton>(s.sheet.get(), "editFeature")->click();
    QCOMPARE(caption, QString("Edit current Feature Colors"));
    QCOMPARE(s.boxes, std::vector<std::string>{kBeginEndText});
    QCOMPARE(features->topLevelItem(kFeatureBeginEndComment)->background(1).color(),
             QColor(0xC0, 0xC0, 0xC0));

    // A new type modelled on C, through ADD_FILE_TYPE.
    s.onDialog = [&](QDialog& d) {
      auto& add = dynamic_cast<AddFileTypeDialog&>(d);
      QTest::keyClicks(add.nameField(), "Perl");
      add.modelBox()->setCurrentText("C");
      return int(QDialog::Accepted);  // OK is pressed for us
    };
    child<QPushButton>(s.sheet.get(), "createFileType")->click();
    QCOMPARE(types->currentItem()->text(), QString("Perl"));
    QCOMPARE(types->item(types->count() - 1)->text(), QString("ALL_OTHER"));
    QCOMPARE(features->topLevelItem(kFeatureFileName)->text(1), QString("perl.mrk"));
    // The colours page lists its file now.
    s.showPage(3);
    auto* files = child<QListWidget>(s.sheet.get(), "markUpFiles");
    QVERIFY(s.typeRow(files, "perl.mrk") >= 0);

    s.sheet->accept();
    QVERIFY(readFile(config->file("perl.mrk")).find("BEG_COMMENT") != std::string::npos);
    QCOMPARE(s.types.size(), size_t(11));
  }

  void cancelWritesNothing() {
    Sheet s(live_);
    const auto before = snapshot(config->path());
    const Settings was = settings();
    child<QLineEdit>(s.sheet.get(), "9102")->clear();
    QTest::keyClicks(child<QLineEdit>(s.sheet.get(), "9102"), "3");
    child<QRadioButton>(s.sheet.get(), "15")->click();
    s.showPage(1);
    QTest::keyClicks(child<QLineEdit>(s.sheet.get(), "compilerCmdLine"), "icc");
    s.showPage(4);
    auto* types = child<QListWidget>(s.sheet.get(), "fileTypes");
    types->setCurrentRow(s.typeRow(types, "Java"));
    child<QPushButton>(s.sheet.get(), "deleteFileType")->click();
    QCOMPARE(types->count(), 9);
    s.sheet->buttons()->button(QDialogButtonBox::Cancel)->click();
    QVERIFY(!s.sheet->applied());
    QCOMPARE(snapshot(config->path()), before);
    QCOMPARE(settings().tabSize, was.tabSize);
    QCOMPARE(settings().keyboardLayout, was.keyboardLayout);
    QCOMPARE(settings().compilerCmdLine, was.compilerCmdLine);
    QCOMPARE(s.types.size(), size_t(10));
  }

  void browseOffersItsFilters() {
    Sheet s(live_);
    config->write("icc.btl", "");
    const QString btl = QString::fromStdString(config->file("icc.btl"));
    QStringList filters;
    s.onDialog = [&](QDialog& d) {
      auto& files = dynamic_cast<QFileDialog&>(d);
      filters = files.nameFilters();
      files.selectFile(btl);
      return int(QDialog::Accepted);
    };
    s.showPage(1);
    // Only the fields of the compiler chosen can be edited.
    auto* external = child<QRadioButton>(s.sheet.get(), "externalCompiler");
    auto* builtIn = child<QRadioButton>(s.sheet.get(), "builtInCompiler");
    QVERIFY(external->isChecked());
    for (const char* name : {"linkAddress", "linkTimeout", "iccBtlPath", "compilerParameters"})
      QVERIFY2(!child<QLineEdit>(s.sheet.get(), name)->isEnabled(), name);
    QVERIFY(!child<QPushButton>(s.sheet.get(), "browseIccBtl")->isEnabled());
    QVERIFY(child<QLineEdit>(s.sheet.get(), "compilerCmdLine")->isEnabled());
    QTest::mouseClick(builtIn, Qt::LeftButton, Qt::NoModifier, QPoint(6, builtIn->height() / 2));
    QVERIFY(builtIn->isChecked());
    QVERIFY(child<QLineEdit>(s.sheet.get(), "linkAddress")->isEnabled());
    QVERIFY(!child<QLineEdit>(s.sheet.get(), "compilerCmdLine")->isEnabled());
    child<QPushButton>(s.sheet.get(), "browseIccBtl")->click();
    QCOMPARE(filters.value(0), QString("Transputer binary files (*.btl)"));
    QVERIFY(filters.value(1).startsWith("All files"));
    QCOMPARE(child<QLineEdit>(s.sheet.get(), "iccBtlPath")->text(), btl);
    s.showPage(2);
    QVERIFY(!child<QPushButton>(s.sheet.get(), "browseMakefile")->isEnabled());
    child<QRadioButton>(s.sheet.get(), "internalMaker")->click();
    QVERIFY(!child<QLineEdit>(s.sheet.get(), "makerCmdLine")->isEnabled());
    child<QPushButton>(s.sheet.get(), "browseMakefile")->click();
    QCOMPARE(filters.value(0), QString("Maker script files (*.mak)"));
    s.sheet->accept();
    QCOMPARE(settings().iccBtlPath, config->file("icc.btl"));
  }
};

QTEST_MAIN(OptionsDialogTest)
#include "optionsdialog_test.moc"
