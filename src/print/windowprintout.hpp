// The three printouts of an editor window: the whole file with every fold
// expanded (Print Buffer, also behind the preview), the screen as it is
// (Print Screen), and the keyboard-layout help text (Print layout).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "print/printout.hpp"

class Host;
class EditorView;
struct LineNode;
struct LineStore;

// A line as it stands in the file: the running indentation of the folds
// around it (printIndent) and its own, then for a fold line the comment
// start, the marker ("{{{  ", "{{{F ", "...F ", "}}}  "), the title and the
// comment end; trailing blanks dropped. Tabs are expanded to the tab stops
// of tabSize, counted from the line's start as in the file.
std::string printedLine(const LineStore& file, const LineNode& line, int32_t printIndent,
                        int tabSize);

// How the running indentation of the expanded order changes after `line`:
// a closed (or entered) fold's header adds the fold's column, its end
// takes it off again; anything else leaves it.
int32_t printIndentStep(const LineNode& line);

// The next line in expanded order: into every closed fold.
const LineNode* nextExpanded(const LineNode* line);

// A header or help text made printable: cut at its first CR or LF, tabs
// turned into single spaces.
std::string printableText(const std::string& text);

// The local time as ctime writes it.
std::string ctimeNow();

// Print Buffer: every line from fileTop to fileBottom in expanded order,
// paginated, each page under "  Page %d from %s   %s".
class FilePrintout : public Printout {
 public:
  explicit FilePrintout(EditorView& window, std::string title = "Print All");

  PageRange pageRange() override;
  bool hasPage(int page) override;
  // Nothing for a page outside the print dialog's range.
  void printPage(int page, Canvas& canvas) override;

  // Pages and lines at the current geometry (counted when first asked and
  // again at each pageRange call).
  int pageCount();
  int lineCount();

  // Where the header's time comes from (tests fix it).
  void setClock(std::function<std::string()> clock) { clock_ = std::move(clock); }

 private:
  // Where each page begins, and the running indentation there: printing
  // page n need not walk the n - 1 pages before it again.
  struct PageStart {
    const LineNode* line;
    int32_t printIndent;
  };
  void paginate();
  bool paginated() const { return paginatedLines_ == linesPerPage(); }

  EditorView& window_;
  std::function<std::string()> clock_;
  std::vector<PageStart> starts_;
  int count_ = 0;
  int paginatedLines_ = 0;
};

// Print Screen: the rows now on the window's screen, one page.
class ScreenPrintout : public Printout {
 public:
  explicit ScreenPrintout(EditorView& window, std::string title = "Print from Screen");

  PageRange pageRange() override { return PageRange{}; }
  bool hasPage(int page) override { return page == 1; }
  void printPage(int page, Canvas& canvas) override;

 private:
  EditorView& window_;
};

// Print layout: help.txt in pieces of at most 79 characters (a piece ends
// after a line feed), paginated under "  Page %d from %s". It prints every
// page it is asked for, whatever range the print dialog chose.
class LayoutPrintout : public Printout {
 public:
  // `window` gives the header its file name; it may be null.
  LayoutPrintout(EditorView* window, std::string title = "Print All");

  // Reads the help text; a file that cannot be read is reported under
  // "Plicato Error" and false returned: nothing is to be printed then.
  bool load(Host& host, const std::string& path);
  // The help text beside the program (a copy in the configuration
  // directory wins).
  static std::string defaultPath();

  PageRange pageRange() override;
  bool hasPage(int page) override;
  void printPage(int page, Canvas& canvas) override;

  int pageCount() const;
  const std::vector<std::string>& pieces() const { return pieces_; }

 private:
  EditorView* window_;
  std::vector<std::string> pieces_;
};
