#include "gui/dialogs.hpp"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "gui/qthost.hpp"

void placeInside(QWidget& window, const QWidget* frame, Qt::Alignment where) {
  const QScreen* screen = frame ? frame->screen() : window.screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  // What the window system adds round a window, as it does for the frame.
  QSize decoration(0, 0);
  QRect area = avail;
  if (frame && frame->isVisible()) {
    decoration = frame->frameGeometry().size() - frame->geometry().size();
    area = frame->geometry();
    if (auto* main = qobject_cast<const QMainWindow*>(frame); main && main->centralWidget())
      area = QRect(main->centralWidget()->mapToGlobal(QPoint(0, 0)), main->centralWidget()->size());
    area = area.intersected(avail);
    // A frame too small (or off the screen) to hold it: the screen does.
    if (area.width() < 240 || area.height() < 160) area = avail;
  }
  QSize size = window.size().boundedTo(area.size() - decoration);
  size = size.expandedTo(window.minimumSize()).boundedTo(avail.size() - decoration);
  window.resize(size);
  const QSize outer = size + decoration;
  int x = area.left() + (area.width() - outer.width()) / 2;
  int y = area.top() + (area.height() - outer.height()) / 2;
  if (where & Qt::AlignTop) y = area.top();
  if (where & Qt::AlignBottom) y = area.bottom() + 1 - outer.height();
  if (where & Qt::AlignLeft) x = area.left();
  x = std::clamp(x, avail.left(), std::max(avail.left(), avail.right() + 1 - outer.width()));
  y = std::clamp(y, avail.top(), std::max(avail.top(), avail.bottom() + 1 - outer.height()));
  window.move(x, y);
}

namespace {

// Refuses characters that have no single byte; the edit keeps its text.
class Latin1Validator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int&) const override {
    for (QChar c : input)
      if (c.unicode() > 0xFF) {
        QApplication::beep();
        return Invalid;
      }
    return Acceptable;
  }
};

QLineEdit* lineEdit(const std::string& text, const char* name, QWidget* parent) {
  auto* e = new QLineEdit(fromLatin1(text), parent);
  e->setObjectName(QString::fromLatin1(name));
  restrictToLatin1(*e);
  return e;
}

std::string bytesOf(const QLineEdit* e) { return toLatin1(e->text()).value_or(std::string()); }

QDialogButtonBox* okCancel(QDialog* dialog) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return box;
}

QRadioButton* radio(const char* text, const char* name, QWidget* parent) {
  auto* r = new QRadioButton(QString::fromLatin1(text), parent);
  r->setObjectName(QString::fromLatin1(name));
  return r;
}

QFont fixedFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

}  // namespace

void restrictToLatin1(QLineEdit& edit) { edit.setValidator(new Latin1Validator(&edit)); }

// --- GET_COM ------------------------------------------------------------------

CommentConventionDialog::CommentConventionDialog(const CommentAnswer& offered, QWidget* parent)
    : QDialog(parent) {
  setObjectName("GET_COM");
  setWindowTitle("Comment Convention");
  typeName_ = lineEdit(offered.typeName, "typeName", this);
  commentStart_ = lineEdit(offered.commentStart, "commentStart", this);
  commentEnd_ = lineEdit(offered.commentEnd, "commentEnd", this);
  // The type name is shown in the status line; the comment signs are short.
  typeName_->setMaxLength(10);
  commentStart_->setMaxLength(127);
  commentEnd_->setMaxLength(127);

  auto* form = new QFormLayout;
  form->addRow("Type name:", typeName_);
  form->addRow("Comment start:", commentStart_);
  form->addRow("Comment end:", commentEnd_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("The file type is unknown. How are comments written?", this));
  layout->addLayout(form);
  layout->addWidget(okCancel(this));
}

CommentAnswer CommentConventionDialog::answer() const {
  return {bytesOf(typeName_), bytesOf(commentStart_), bytesOf(commentEnd_)};
}

// --- INPUT, INPUT2 ------------------------------------------------------------

InputDialog::InputDialog(const std::string& resource, const std::string& label,
                           const std::string& defaultText, int maxLen, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QString::fromLatin1(resource.c_str()));
  setWindowTitle("Plicato");
  field_ = lineEdit(defaultText, "field", this);
  if (maxLen > 0) field_->setMaxLength(maxLen);
  field_->selectAll();
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* caption = new QLabel(fromLatin1(label), this);
  caption->setBuddy(field_);
  row->addWidget(caption);
  row->addWidget(field_, 1);
  layout->addLayout(row);
  layout->addWidget(okCancel(this));
  setMinimumWidth(320);
}

std::string InputDialog::text() const { return bytesOf(field_); }

// --- SYMBOL ---------------------------------------------------------------------

SymbolDialog::SymbolDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("SYMBOL");
  setWindowTitle("Insert Special Character");
  group_ = new QButtonGroup(this);
  group_->setExclusive(true);
  auto* grid = new QGridLayout;
  grid->setSpacing(1);
  const QFont font = fixedFont();
  for (int ch = 32; ch <= 255; ++ch) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString("char%1").arg(ch));
    // Blank-looking and control characters show their code instead; "&"
    // is doubled, or the button would take it for a mnemonic.
    const bool blank = ch == 32 || (ch >= 127 && ch < 160) || ch == 160 || ch == 173;
    b->setText(blank ? QString::number(ch) : ch == '&' ? QString("&&") : QString(QChar(ch)));
    b->setFont(font);
    b->setCheckable(true);
    b->setAutoRaise(true);
    b->setMinimumSize(26, 24);
    b->setToolTip(QString("Code %1").arg(ch));
    group_->addButton(b, ch);
    grid->addWidget(b, (ch - 32) / 16, (ch - 32) % 16);
  }
  connect(group_, &QButtonGroup::idClicked, this,
          [this](int id) { choose(static_cast<unsigned char>(id)); });

  shown_ = new QLabel("Pick a character", this);
  auto* buttons = new QDialogButtonBox(this);
  auto* insert = buttons->addButton("Insert", QDialogButtonBox::AcceptRole);
  buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
  insert->setObjectName("Insert");
  insert->setDefault(true);
  insert->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(group_, &QButtonGroup::idClicked, insert, [insert](int) { insert->setEnabled(true); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(shown_, 1);
  bottom->addWidget(buttons);
  layout->addLayout(bottom);
}

void SymbolDialog::choose(unsigned char ch) {
  if (ch < 32) return;
  chosen_ = ch;
  if (auto* b = group_->button(ch)) b->setChecked(true);
  if (auto* insert = findChild<QPushButton*>("Insert")) insert->setEnabled(true);
  shown_->setText(QString("Character %1 (code %2)").arg(QChar(ch)).arg(ch));
}

// --- DIALOG_3, DIALOG_1 -----------------------------------------------------------

FindDialog::FindDialog(const SearchRequest& defaults, QWidget* parent)
    : FindDialog(defaults, false, parent) {}

FindDialog::FindDialog(const SearchRequest& d, bool replace, QWidget* parent) : QDialog(parent) {
  setObjectName(replace ? "DIALOG_1" : "DIALOG_3");
  setWindowTitle(replace ? "Replace" : "Search");

  find_ = lineEdit(d.text, "find", this);
  auto* form = new QFormLayout;
  form->addRow("Search for", find_);
  if (replace) {
    replace_ = lineEdit(d.replacement, "replace", this);
    form->addRow("Replace with :", replace_);
  }

  auto* direction = new QGroupBox("Direction", this);
  forward_ = radio("Forward", "forward", direction);
  backward_ = radio("Backward", "backward", direction);
  (d.backward ? backward_ : forward_)->setChecked(true);
  auto* dl = new QVBoxLayout(direction);
  dl->addWidget(forward_);
  dl->addWidget(backward_);
  dl->addStretch();

  auto* mode = new QGroupBox("Mode", this);
  stopOnFirst_ = radio("Stop on First", "stopOnFirst", mode);
  promptForNext_ = radio("Prompt for Next", "promptForNext", mode);
  auto* ml = new QVBoxLayout(mode);
  ml->addWidget(stopOnFirst_);
  ml->addWidget(promptForNext_);
  if (replace) {
    replaceAll_ = radio("Replace All", "replaceAll", mode);
    ml->addWidget(replaceAll_);
  }
  ml->addStretch();
  switch (d.mode) {
    case SearchRequest::Mode::PromptForNext: promptForNext_->setChecked(true); break;
    case SearchRequest::Mode::ReplaceAll:
      (replaceAll_ ? replaceAll_ : stopOnFirst_)->setChecked(true);
      break;
    default: stopOnFirst_->setChecked(true); break;
  }

  matchCase_ = new QCheckBox("Match case", this);
  matchCase_->setObjectName("matchCase");
  matchCase_->setChecked(d.matchCase);
  allFiles_ = new QCheckBox("In All Opened Files", this);
  allFiles_->setObjectName("allFiles");
  allFiles_->setChecked(d.allFiles);

  auto* groups = new QHBoxLayout;
  groups->addWidget(direction);
  groups->addWidget(mode);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(groups);
  layout->addWidget(matchCase_);
  layout->addWidget(allFiles_);
  layout->addWidget(okCancel(this));
  setMinimumWidth(380);
  find_->selectAll();
  find_->setFocus();
}

SearchRequest FindDialog::request() const {
  SearchRequest r;
  r.text = bytesOf(find_);
  if (replace_) r.replacement = bytesOf(replace_);
  r.backward = backward_->isChecked();
  if (replaceAll_ && replaceAll_->isChecked())
    r.mode = SearchRequest::Mode::ReplaceAll;
  else if (promptForNext_->isChecked())
    r.mode = SearchRequest::Mode::PromptForNext;
  else
    r.mode = SearchRequest::Mode::StopOnFirst;
  r.matchCase = matchCase_->isChecked();
  r.allFiles = allFiles_->isChecked();
  return r;
}

FindReplaceDialog::FindReplaceDialog(const SearchRequest& defaults, QWidget* parent)
    : FindDialog(defaults, true, parent) {}

// --- FontDlg ---------------------------------------------------------------------

PrinterFontDialog::PrinterFontDialog(const QFont& initial, QWidget* parent) : QDialog(parent) {
  setObjectName("FontDlg");
  setWindowTitle("Font");
  face_ = new QFontComboBox(this);
  face_->setObjectName("face");
  face_->setFontFilters(QFontComboBox::MonospacedFonts);
  face_->setEditable(false);
  size_ = new QSpinBox(this);
  size_->setObjectName("size");
  size_->setRange(kSmallest, kLargest);
  bold_ = new QCheckBox("&Bold", this);
  bold_->setObjectName("bold");
  italic_ = new QCheckBox("&Italic", this);
  italic_->setObjectName("italic");
  sample_ = new QLabel("AaBbYyZz 0123 {{{ }}}", this);
  sample_->setObjectName("sample");
  sample_->setFrameShape(QFrame::StyledPanel);
  sample_->setMinimumHeight(90);
  sample_->setAlignment(Qt::AlignCenter);

  auto* form = new QFormLayout;
  form->addRow("&Font:", face_);
  form->addRow("&Size:", size_);
  auto* style = new QHBoxLayout;
  style->addWidget(bold_);
  style->addWidget(italic_);
  style->addStretch(1);
  form->addRow("Style:", style);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(new QLabel("Sample", this));
  layout->addWidget(sample_, 1);
  layout->addWidget(okCancel(this));

  setCurrentFont(initial);
  connect(face_, &QFontComboBox::currentFontChanged, this, [this] { showSample(); });
  connect(size_, &QSpinBox::valueChanged, this, [this] { showSample(); });
  connect(bold_, &QCheckBox::toggled, this, [this] { showSample(); });
  connect(italic_, &QCheckBox::toggled, this, [this] { showSample(); });
}

void PrinterFontDialog::setCurrentFont(const QFont& font) {
  const int at = face_->findText(font.family(), Qt::MatchFixedString);
  if (at >= 0) face_->setCurrentIndex(at);
  const double points = font.pointSizeF() > 0 ? font.pointSizeF() : kSmallest;
  size_->setValue(std::clamp(static_cast<int>(std::lround(points)), kSmallest, kLargest));
  bold_->setChecked(font.weight() >= QFont::DemiBold);
  italic_->setChecked(font.italic());
  showSample();
}

QFont PrinterFontDialog::currentFont() const {
  QFont f(face_->currentFont().family());
  f.setPointSize(size_->value());
  f.setWeight(bold_->isChecked() ? QFont::Bold : QFont::Normal);
  f.setItalic(italic_->isChecked());
  return f;
}

void PrinterFontDialog::showSample() { sample_->setFont(currentFont()); }

// --- HELP, HELP_2 -------------------------------------------------------------------

namespace {

QLabel* cell(const std::string& text, const QFont& font, QWidget* parent, bool bold = false) {
  auto* l = new QLabel(fromLatin1(text.empty() ? "-" : text), parent);
  QFont f = font;
  f.setBold(bold);
  l->setFont(f);
  return l;
}

QWidget* gridSection(const HelpSection& s, const QFont& font, QWidget* parent) {
  auto* w = new QWidget(parent);
  auto* g = new QGridLayout(w);
  g->setHorizontalSpacing(18);
  g->setVerticalSpacing(1);
  for (size_t c = 0; c < s.columns.size(); ++c)
    g->addWidget(cell(s.columns[c], font, w, true), 0, static_cast<int>(c) + 1);
  int row = 1;
  for (size_t r = 0; r < s.rows.size(); ++r, ++row) {
    g->addWidget(cell(r < s.rowNames.size() ? s.rowNames[r] : "", font, w, true), row, 0);
    for (size_t c = 0; c < s.rows[r].size(); ++c)
      g->addWidget(cell(s.rows[r][c].label, font, w), row, static_cast<int>(c) + 1);
    if (std::find(s.breaksAfter.begin(), s.breaksAfter.end(), static_cast<int>(r)) !=
        s.breaksAfter.end())
      g->setRowMinimumHeight(++row, 6);
  }
  g->setColumnStretch(static_cast<int>(s.columns.size()) + 1, 1);
  return w;
}

QWidget* listSection(const HelpSection& s, const QFont& font, QWidget* parent) {
  auto* w = new QWidget(parent);
  auto* g = new QGridLayout(w);
  g->setHorizontalSpacing(10);
  g->setVerticalSpacing(1);
  if (s.rows.empty()) return w;
  const auto& keys = s.rows[0];
  constexpr size_t kPerLine = 3;
  // Down the columns, as the printed text reads.
  const size_t lines = (keys.size() + kPerLine - 1) / kPerLine;
  for (size_t i = 0; i < keys.size(); ++i) {
    const int line = static_cast<int>(i % std::max<size_t>(1, lines));
    const int col = static_cast<int>(i / std::max<size_t>(1, lines)) * 2;
    g->addWidget(cell(keys[i].key, font, w, true), line, col);
    g->addWidget(cell(keys[i].label, font, w), line, col + 1);
  }
  g->setColumnStretch(static_cast<int>(kPerLine) * 2, 1);
  return w;
}

}  // namespace

HelpDialog::HelpDialog(const HelpModel& model, std::function<void()> onPrint, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QString::fromLatin1(model.resource.c_str()));
  setWindowTitle(fromLatin1(model.title));
  const QFont font = fixedFont();

  auto* body = new QWidget;
  auto* bl = new QVBoxLayout(body);
  for (const HelpSection& s : model.sections) {
    auto* title = new QLabel(fromLatin1(s.title), body);
    QFont tf = title->font();
    tf.setBold(true);
    title->setFont(tf);
    bl->addWidget(title);
    bl->addWidget(s.isGrid() ? gridSection(s, font, body) : listSection(s, font, body));
    auto* line = new QFrame(body);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    bl->addWidget(line);
  }
  bl->addStretch();

  auto* scroll = new QScrollArea(this);
  scroll->setWidget(body);
  scroll->setWidgetResizable(true);

  auto* buttons = new QDialogButtonBox(this);
  auto* ok = buttons->addButton("Ok", QDialogButtonBox::AcceptRole);
  auto* print = buttons->addButton("Print", QDialogButtonBox::ActionRole);
  ok->setObjectName("Ok");
  print->setObjectName("Print");
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(print, &QPushButton::clicked, this, [onPrint] {
    if (onPrint) onPrint();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addWidget(buttons);
  const int width = std::min(body->sizeHint().width() + 40, 900);
  resize(width, 640);
  // Inside the frame, below its menus, and no taller than the screen.
  placeInside(*this, parent);
}
