#include "gui/qthost.hpp"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "commands/helptext.hpp"
#include "display/editorview.hpp"
#include "gui/dialogs.hpp"
#include "gui/editorwidget.hpp"
#include "gui/menus.hpp"
#include "model/settings.hpp"

QEvent::Type WindowMessageEvent::eventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

QString fromLatin1(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::optional<std::string> toLatin1(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) {
    if (c.unicode() > 0xFF) return std::nullopt;
    out += static_cast<char>(c.unicode());
  }
  return out;
}

namespace {

QString trimmed(const std::string& s) { return fromLatin1(s).trimmed(); }

// File names are bytes of the file system, not Latin-1 text.
std::string pathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString pathText(const std::string& path) { return QFile::decodeName(path.c_str()); }

}  // namespace

namespace {

struct FilterEntry {
  QString name;
  QStringList globs;
};

// The "Name|patterns|" pairs of a filter, in Qt's terms.
std::vector<FilterEntry> filterEntries(const std::string& filter) {
  std::vector<FilterEntry> out;
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= filter.size()) {
    size_t bar = filter.find('|', start);
    if (bar == std::string::npos) bar = filter.size();
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    QString name = trimmed(parts[i]);
    const QString pattern = fromLatin1(parts[i + 1]);
    if (name.isEmpty() && pattern.trimmed().isEmpty()) continue;
    // The description carries the patterns in brackets already; Qt reads
    // them from there, so they are put back in its own form.
    if (int open = name.lastIndexOf('('); open > 0) name = name.left(open).trimmed();
    QStringList globs;
    for (QString g : pattern.split(';', Qt::SkipEmptyParts)) {
      g = g.trimmed();
      if (g == "*.*") g = "*";
      if (!g.isEmpty() && !globs.contains(g)) globs << g;
    }
    if (globs.isEmpty()) globs << "*";
    out.push_back({name.isEmpty() ? QString("Files") : name, globs});
  }
  return out;
}

bool takesEveryFile(const FilterEntry& e) { return e.globs.contains("*"); }

}  // namespace

QString qtFileFilter(const std::string& filter) {
  QStringList out;
  for (const FilterEntry& e : filterEntries(filter))
    out << QString("%1 (%2)").arg(e.name, e.globs.join(' '));
  return out.join(";;");
}

std::string withAllFiles(const std::string& filter) {
  for (const FilterEntry& e : filterEntries(filter))
    if (takesEveryFile(e)) return filter;
  return filter + "All files (*.*)|*.*|";
}

int filterEntryFor(const std::string& filter, const std::string& fileName) {
  const std::vector<FilterEntry> entries = filterEntries(filter);
  const QString base = QFileInfo(pathText(fileName)).fileName();
  int every = -1;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (takesEveryFile(entries[i])) {
      if (every < 0) every = static_cast<int>(i);
      continue;
    }
    if (base.isEmpty()) continue;
    for (const QString& g : entries[i].globs) {
      const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(g),
                                  QRegularExpression::CaseInsensitiveOption);
      if (re.match(base).hasMatch()) return static_cast<int>(i);
    }
  }
  return every;
}

QtHost::QtHost() = default;

QtHost::~QtHost() {
  while (waitCursors_ > 0) waitCursor(false);
}

QWidget* QtHost::parentWidget() const {
  if (dialogParent) return dialogParent();
  return QApplication::activeWindow();
}

int QtHost::execDialog(QDialog& dialog) {
  if (runDialog) return runDialog(dialog);
  return dialog.exec();
}

// --- editor widgets ---------------------------------------------------------

void QtHost::registerWidget(EditorView& window, EditorWidget* widget) {
  widgets_[&window] = widget;
  auto early = early_.find(&window);
  if (early == early_.end()) return;
  std::vector<int> messages = std::move(early->second);
  early_.erase(early);
  for (int m : messages) QCoreApplication::postEvent(widget, new WindowMessageEvent(m));
}

void QtHost::unregisterWidget(const EditorView* window) {
  widgets_.erase(window);
  early_.erase(window);
  keysPosted_.erase(window);
}

EditorWidget* QtHost::widgetOf(const EditorView& window) const {
  auto it = widgets_.find(&window);
  return it == widgets_.end() ? nullptr : it->second;
}

EditorWidget* QtHost::activeWidget() const {
  for (const auto& [window, widget] : widgets_)
    if (window->hasFocus) return widget;
  return widgets_.empty() ? nullptr : widgets_.begin()->second;
}

void QtHost::messageDelivered(EditorView& window, int message) {
  if (message == kMsgKeysWaiting) keysPosted_.erase(&window);
}

bool QtHost::postMessage(WindowHandle handle, int message) {
  EditorView& window = EditorView::of(handle);
  EditorWidget* widget = widgetOf(window);
  if (!widget) {
    early_[&window].push_back(message);
    return true;
  }
  if (message == kMsgKeysWaiting) {
    // One on its way drains every key queued meanwhile.
    if (keysPosted_[&window]) return true;
    keysPosted_[&window] = true;
  }
  QCoreApplication::postEvent(widget, new WindowMessageEvent(message));
  return true;
}

void QtHost::invalidateRows(WindowHandle handle, int firstRow, int lastRow) {
  if (EditorWidget* w = widgetOf(EditorView::of(handle))) w->invalidateRows(firstRow, lastRow);
}

// --- waiting ----------------------------------------------------------------------

bool QtHost::waitForInput(WindowHandle handle) {
  EditorView& window = EditorView::of(handle);
  if (window.keys.empty()) QCoreApplication::processEvents();
  return !window.keys.empty();
}

void QtHost::pumpMessages() { QCoreApplication::processEvents(); }

// --- boxes -------------------------------------------------------------------------

namespace {

QMessageBox::StandardButtons qtButtons(MbButtons b) {
  switch (b) {
    case MbButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MbButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MbButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon qtIcon(MbIcon i) {
  switch (i) {
    case MbIcon::Stop: return QMessageBox::Critical;
    case MbIcon::Exclamation: return QMessageBox::Warning;
    case MbIcon::Question: return QMessageBox::Question;
    case MbIcon::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// What closing the box without a button means for the buttons offered.
MbResult escapeAnswer(MbButtons b) {
  switch (b) {
    case MbButtons::OkCancel:
    case MbButtons::YesNoCancel: return MbResult::Cancel;
    case MbButtons::YesNo: return MbResult::No;
    default: return MbResult::Ok;
  }
}

MbResult answerOf(int button, MbButtons offered) {
  switch (button) {
    case QMessageBox::Ok: return MbResult::Ok;
    case QMessageBox::Cancel: return MbResult::Cancel;
    case QMessageBox::Yes: return MbResult::Yes;
    case QMessageBox::No: return MbResult::No;
    default: return escapeAnswer(offered);
  }
}

}  // namespace

MbResult QtHost::messageBox(const std::string& text, const std::string& caption,
                            MbButtons buttons, MbIcon icon) {
  if (answerBox)
    if (auto a = answerBox(text, caption, buttons)) return *a;
  QMessageBox box(qtIcon(icon), fromLatin1(caption), fromLatin1(text), qtButtons(buttons),
                  parentWidget());
  if (buttons == MbButtons::YesNoCancel || buttons == MbButtons::OkCancel)
    box.setEscapeButton(QMessageBox::Cancel);
  else if (buttons == MbButtons::YesNo)
    box.setEscapeButton(QMessageBox::No);
  return answerOf(execDialog(box), buttons);
}

MbResult QtHost::confirmAt(const std::string& dialog, const std::string& text, MbButtons buttons,
                           int row, int col) {
  if (answerBox)
    if (auto a = answerBox(text, dialog, buttons)) return *a;
  const std::string caption =
      dialog == "MY_BOX_SEAR" ? "Search" : dialog == "MY_BOX_REPL" ? "Replace" : dialog;
  QMessageBox box(QMessageBox::Question, fromLatin1(caption), fromLatin1(text),
                  qtButtons(buttons), parentWidget());
  box.setObjectName(fromLatin1(dialog));
  if (buttons == MbButtons::YesNoCancel) box.setEscapeButton(QMessageBox::Cancel);
  if (EditorWidget* w = activeWidget(); w && w->window()) {
    // Just below the cursor's row, so the match stays in sight.
    const EditorView& win = *w->window();
    QPoint at = w->viewport()->mapToGlobal(
        QPoint(std::max(0, col) * win.charWidth, std::max(1, row) * win.charHeight));
    box.adjustSize();
    if (QScreen* s = w->screen()) {
      const QRect area = s->availableGeometry();
      at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - box.width())));
      at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - box.height())));
    }
    box.move(at);
  }
  return answerOf(execDialog(box), buttons);
}

// --- status bar and recent files ------------------------------------------------

void QtHost::statusMessage(const std::string& text) {
  lastStatus_ = text;
  if (onStatusMessage) onStatusMessage(text);
}

void QtHost::statusFields(const std::array<std::string, 7>& fields) {
  lastFields_ = fields;
  if (onStatusFields) onStatusFields(fields);
}

void QtHost::addRecentFile(const std::string& path) {
  if (onRecentFile) onRecentFile(path);
}

// --- dialogs --------------------------------------------------------------------------

std::optional<std::string> QtHost::openFileDialog(const std::string& filter,
                                                  const std::string& title) {
  return openFileDialog(filter, title, -1);
}

std::optional<std::string> QtHost::openFileDialog(const std::string& filter,
                                                  const std::string& title, int selected) {
  QFileDialog dialog(parentWidget(), fromLatin1(title.empty() ? std::string("Open") : title));
  dialog.setObjectName("Open");
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  const QString filters = qtFileFilter(filter);
  if (!filters.isEmpty()) {
    const QStringList list = filters.split(";;");
    dialog.setNameFilters(list);
    if (selected >= 0 && selected < list.size()) dialog.selectNameFilter(list[selected]);
  }
  if (execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return pathBytes(dialog.selectedFiles().first());
}

std::optional<std::string> QtHost::saveAsDialog(const std::string& filter,
                                                const std::string& defaultName) {
  QFileDialog dialog(parentWidget(), "Save As");
  dialog.setObjectName("Save As");
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  const QString filters = qtFileFilter(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters.split(";;"));
  if (!defaultName.empty()) dialog.selectFile(pathText(defaultName));
  if (execDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return std::nullopt;
  return pathBytes(dialog.selectedFiles().first());
}

std::optional<CommentAnswer> QtHost::askCommentConvention(const CommentAnswer& offered) {
  CommentConventionDialog dialog(offered, parentWidget());
  if (execDialog(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.answer();
}

std::optional<std::string> QtHost::prompt(const std::string& dialog, const std::string& label,
                                          const std::string& defaultText, int maxLen) {
  InputDialog box(dialog, label, defaultText, maxLen, parentWidget());
  if (execDialog(box) != QDialog::Accepted) return std::nullopt;
  return box.text();
}

std::optional<unsigned char> QtHost::symbolDialog() {
  SymbolDialog dialog(parentWidget());
  if (execDialog(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.chosen();
}

std::optional<SearchRequest> QtHost::searchDialog(const SearchRequest& defaults, bool replace) {
  if (replace) {
    FindReplaceDialog dialog(defaults, parentWidget());
    if (execDialog(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.request();
  }
  FindDialog dialog(defaults, parentWidget());
  if (execDialog(dialog) != QDialog::Accepted) return std::nullopt;
  return dialog.request();
}

void QtHost::helpDialog(const std::string& resource, const std::string& title,
                        const std::string& text) {
  (void)text;  // the dialog lays the model out itself; the text is what is printed
  const int layout = resource == "HELP" ? kLayoutStandard : kLayoutWindows;
  HelpModel model = helpModel(
      layout, keyTableInForce ? keyTableInForce()
                              : (layout == kLayoutStandard ? kPlicatoStandardTable : kWindowsTable));
  if (!title.empty()) model.title = title;
  model.sections.push_back(frameKeysSection());
  HelpDialog dialog(model, onHelpPrint, parentWidget());
  execDialog(dialog);
}

// --- clipboard, beep, processes, screen --------------------------------------------

void QtHost::setClipboardText(const std::string& text) {
  clipboard_ = text;
  QGuiApplication::clipboard()->setText(fromLatin1(text));
}

std::optional<std::string> QtHost::clipboardText() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) return std::nullopt;
  // Text with characters beyond single bytes cannot be pasted without
  // changing it; it is not offered at all.
  return toLatin1(text);
}

void QtHost::beep() { QApplication::beep(); }

void QtHost::waitCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitCursors_;
  } else if (waitCursors_ > 0) {
    QApplication::restoreOverrideCursor();
    --waitCursors_;
  }
}

bool QtHost::runDetached(const std::string& command) {
  return QProcess::startDetached("/bin/sh", {"-c", QString::fromLocal8Bit(command.c_str())});
}

std::array<int, 2> QtHost::screenSize() {
  if (QScreen* s = QGuiApplication::primaryScreen()) return {s->size().width(), s->size().height()};
  return Host::screenSize();
}

std::array<int, 2> QtHost::iconSize() {
  const int size = QApplication::style()->pixelMetric(QStyle::PM_LargeIconSize);
  return {size, size};
}

void QtHost::exitProcess(int code) {
  std::fflush(nullptr);
  std::_Exit(code);
}
