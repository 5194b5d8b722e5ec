#include "gui/optionsdialog.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/application.hpp"
#include "gui/dialogs.hpp"
#include "gui/optionspages.hpp"
#include "gui/qthost.hpp"
#include "model/markup.hpp"

namespace {

QIcon swatch(uint32_t colour) {
  QPixmap pm(14, 14);
  pm.fill(qColour(colour));
  QPainter p(&pm);
  p.setPen(Qt::gray);
  p.drawRect(0, 0, 13, 13);
  return QIcon(pm);
}

// The sixteen colour names with a swatch each; a value none of them has
// shows as the first (black) or the last (white), as the writer stores it.
QComboBox* colourBox(uint32_t value, bool background, const QString& name, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (const ColourName& c : kColourNames)
    box->addItem(swatch(c.value), QString::fromLatin1(c.name), QVariant::fromValue<uint>(c.value));
  const int at = box->findText(QString::fromLatin1(colourName(value, background)));
  box->setCurrentIndex(std::max(0, at));
  return box;
}

uint32_t colourOf(const QComboBox* box) { return box->currentData().toUInt(); }

}  // namespace

QColor qColour(uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

ModalRunner modalRunner(QtHost& host) {
  return [&host](QDialog& d) { return host.runDialog ? host.runDialog(d) : d.exec(); };
}

// ---- EDIT_COLOR ----

ColourDialog::ColourDialog(const QString& caption, const EditColorValues& values, Kind kind,
                       std::function<bool(const EditColorValues&)> take, QWidget* parent)
    : QDialog(parent), take_(std::move(take)) {
  setObjectName("EDIT_COLOR");
  setWindowTitle(caption);
  auto* form = new QFormLayout;
  text_ = new QLineEdit(fromLatin1(values.text), this);
  text_->setObjectName("text");
  text_->setMaxLength(kind == Kind::Text ? 127 : static_cast<int>(kMaxEntryText));
  text_->setMinimumWidth(260);
  restrictToLatin1(*text_);
  form->addRow(kind == Kind::Keyword ? "&Keyword:" : kind == Kind::Text ? "&Text:" : "&Sign:",
               text_);
  if (kind == Kind::ColoursOnly) text_->setEnabled(false);
  if (kind != Kind::Text) {
    textColour_ = colourBox(values.textColour, false, "textColour", this);
    backColour_ = colourBox(values.backColour, true, "backColour", this);
    form->addRow("Text &color:", textColour_);
    form->addRow("&Background color:", backColour_);
    sample_ = new QLabel(this);
    sample_->setObjectName("sample");
    sample_->setAutoFillBackground(true);
    sample_->setMargin(4);
    form->addRow("Sample:", sample_);
    connect(text_, &QLineEdit::textChanged, this, &ColourDialog::showSample);
    connect(textColour_, &QComboBox::currentIndexChanged, this, &ColourDialog::showSample);
    connect(backColour_, &QComboBox::currentIndexChanged, this, &ColourDialog::showSample);
    showSample();
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ColourDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ColourDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

void ColourDialog::showSample() {
  if (!sample_) return;
  QPalette pal = sample_->palette();
  pal.setColor(QPalette::WindowText, qColour(colourOf(textColour_)));
  pal.setColor(QPalette::Window, qColour(colourOf(backColour_)));
  sample_->setPalette(pal);
  sample_->setText(text_->text().isEmpty() ? QString(" ") : text_->text());
}

EditColorValues ColourDialog::values() const {
  EditColorValues v;
  v.text = toLatin1(text_->text()).value_or("");
  if (textColour_) v.textColour = colourOf(textColour_);
  if (backColour_) v.backColour = colourOf(backColour_);
  return v;
}

void ColourDialog::accept() {
  if (take_ && !take_(values())) return;  // refused: the dialog stays
  taken_ = true;
  QDialog::accept();
}

// ---- ADD_FILE_TYPE ----

AddFileTypeDialog::AddFileTypeDialog(const std::vector<std::string>& typeNames,
                           std::function<bool(const NewFileType&)> take, QWidget* parent)
    : QDialog(parent), take_(std::move(take)) {
  setObjectName("ADD_FILE_TYPE");
  setWindowTitle("Create new File Type");
  auto* form = new QFormLayout;
  name_ = new QLineEdit(this);
  name_->setObjectName("newTypeName");
  name_->setMaxLength(127);
  restrictToLatin1(*name_);
  file_ = new QLineEdit(this);
  file_->setObjectName("newTypeFile");
  file_->setMaxLength(127);
  file_->setMinimumWidth(220);
  restrictToLatin1(*file_);
  model_ = new QComboBox(this);
  model_->setObjectName("modelType");
  for (const std::string& n : typeNames) model_->addItem(fromLatin1(n));
  model_->addItem("(none)");
  form->addRow("&Name of the new File Type:", name_);
  form->addRow("&Highlighting file:", file_);
  form->addRow("&Model File Type:", model_);
  auto* hint = new QLabel("The new type starts with the colours of its model;\n"
                          "without one it gets the default colours.",
                          this);
  hint->setEnabled(false);

  // The file name follows the type's name until it is edited itself.
  connect(file_, &QLineEdit::textEdited, this, [this] { fileEdited_ = true; });
  connect(name_, &QLineEdit::textChanged, this, [this](const QString& n) {
    if (fileEdited_) return;
    QString base;
    for (QChar c : n.toLower())
      if (c.isLetterOrNumber() || c == '_' || c == '-' || c == '+') base += c;
    file_->setText(base.isEmpty() ? QString() : base + ".mrk");
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &AddFileTypeDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &AddFileTypeDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(hint);
  layout->addWidget(buttons);
}

NewFileType AddFileTypeDialog::request() const {
  NewFileType r;
  r.name = toLatin1(name_->text()).value_or("");
  r.markupFile = toLatin1(file_->text()).value_or("");
  const int i = model_->currentIndex();
  r.model = i >= 0 && i < model_->count() - 1 ? i : -1;
  return r;
}

void AddFileTypeDialog::accept() {
  if (take_ && !take_(request())) return;
  taken_ = true;
  QDialog::accept();
}

// ---- the sheet ----

OptionsSheet::OptionsSheet(OptionsModel& model, ModalRunner run, QWidget* parent)
    : QDialog(parent), model_(model), run_(std::move(run)) {
  setObjectName("Options");
  setWindowTitle("Options");
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("pages");
  tabs_->setUsesScrollButtons(false);  // all five titles in sight
  editor_ = new EditorOptionsDlg(model, run_, tabs_);
  compiler_ = new CompilerOptionsDlg(model, run_, model.host(), tabs_);
  maker_ = new MakerOptionsDlg(model, run_, model.host(), tabs_);
  colors_ = new MarkUpDialog(model, run_, tabs_);
  fileTypes_ = new FileTypeDialog(model, run_, tabs_);
  tabs_->addTab(editor_, "Editor Options");
  tabs_->addTab(compiler_, "Compiler Options");
  tabs_->addTab(maker_, "Maker Options");
  tabs_->addTab(colors_, "Colors Options");
  tabs_->addTab(fileTypes_, "File Type Options");

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &OptionsSheet::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &OptionsSheet::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons_);

  connect(tabs_, &QTabWidget::currentChanged, this, &OptionsSheet::pageShown);
  pageShown(tabs_->currentIndex());
}

OptionsSheet::~OptionsSheet() = default;

void OptionsSheet::pageShown(int index) {
  // The colours and file-type pages share the types: each shows them
  // afresh, since the other may have changed them.
  if (auto* page = qobject_cast<OptionsPage*>(tabs_->widget(index)))
    if (!page->isSetUp() || page == colors_ || page == fileTypes_) page->setUp();
}

void OptionsSheet::accept() {
  if (!applied_) {
    applied_ = true;
    model_.apply();
  }
  QDialog::accept();
}

bool runOptionsCommand(QtHost& host, Application& app, std::function<void()> menusChanged,
                       QWidget* parent) {
  OptionsModel model(app);
  model.onLayoutChanged = [&menusChanged](int) {
    if (menusChanged) menusChanged();
  };
  ModalRunner run = modalRunner(host);
  OptionsSheet sheet(model, run, parent);
  const int result = run(sheet);
  if (result == QDialog::Accepted && !sheet.applied()) sheet.accept();
  return sheet.applied();
}
