// The sample files in resources/samples are the writer's own output: this
// test builds their trees, writes them and compares the bytes. With
// PLICATO_REGENERATE_SAMPLES=1 it writes them into the source tree instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "support/testenv.hpp"
#include "foldfile_util.hpp"

using namespace foldtest;

namespace {

struct Sample {
  const char* file;
  const char* commentStart;
  const char* commentEnd;
  const char* type;
  bool tds;
  std::function<void(Builder&)> fill;
};

void cMain(Builder& b) {
  b.text("#include <stdio.h>");
  b.text("");
  b.fold("COMMENT what this file shows", ClosedFold, 0, [](Builder& in) {
    in.text("Folds nest, and two folds here are filed: their lines live in");
    in.text("files of their own. Entering \"helpers\" opens sample_part.c in");
    in.text("this window, and leaving it saves that file and comes back.");
    in.text("\"sample_io.c\" was filed with File/Unfile: the same command");
    in.text("brings its lines back inline, and files them again.");
  });
  b.fold("declarations", ClosedFold, 0, [](Builder& in) {
    in.text("static int count;");
    in.text("static const char *greeting = \"hello\";");
    in.text("int twice(int n);");
    in.text("void greet(const char *who);");
  });
  b.fold("helpers", FiledFold, 0, [](Builder&) {}, 1, 0, "sample_part.c");
  b.fold("sample_io.c", FiledFold, 0, [](Builder&) {}, 0, 1, "sample_io.c");
  b.fold("int main(void)", ClosedFold, 0, [](Builder& in) {
    in.text("int main(void)");
    in.text("{");
    in.fold("greet", ClosedFold, 2, [](Builder& in2) {
      in2.text("greet(greeting);");
      in2.fold("count the greetings", ClosedFold, 0, [](Builder& in3) {
        in3.text("count++;");
        in3.text("");
        in3.text("\tprintf(\"%d\\n\", count);");
      });
    });
    in.text("  return twice(count) - 2;");
    in.text("}");
  });
}

void cPart(Builder& b) {
  b.fold("int twice(int n)", ClosedFold, 0, [](Builder& in) {
    in.text("int twice(int n)");
    in.text("{");
    in.text("  return 2 * n;");
    in.text("}");
  });
}

// The contents of the fold filed with File/Unfile, as that command writes them.
void cIo(Builder& b) {
  b.text("#include <stdio.h>");
  b.fold("void greet(const char *who)", ClosedFold, 0, [](Builder& in) {
    in.text("void greet(const char *who)");
    in.text("{");
    in.text("  printf(\"%s, world\\n\", who);");
    in.text("}");
  });
}

void occMain(Builder& b) {
  b.fold("COMMENT the sample", ClosedFold, 0, [](Builder& in) {
    in.text("A process that counts. Its loop is filed in sample_part.occ:");
    in.text("entering the fold \"loop\" opens that file in this window.");
  });
  b.text("PROC counter (CHAN OF INT in, out)");
  b.fold("declarations", ClosedFold, 2, [](Builder& in) {
    in.text("INT total :");
  });
  b.fold("SEQ", ClosedFold, 2, [](Builder& in) {
    in.text("SEQ");
    in.fold("initialise", ClosedFold, 2, [](Builder& in2) { in2.text("total := 0"); });
    in.fold("loop", FiledFold, 2, [](Builder&) {}, 1, 0, "sample_part.occ");
  });
  b.text(":");
}

void occPart(Builder& b) {
  b.text("WHILE TRUE");
  b.fold("take and pass on", ClosedFold, 2, [](Builder& in) {
    in.text("INT x :");
    in.text("SEQ");
    in.text("  in ? x");
    in.text("  total := total + x");
    in.text("  out ! total");
  });
}

void tdsMain(Builder& b) {
  b.fold("COMMENT TDS sample", ClosedFold, 0, [](Builder& in) {
    in.text("A fold file of the Transputer Development System.");
  }, 0, 0);
  b.fold("PROC hello", ClosedFold, 0, [](Builder& in) {
    in.text("PROC hello (CHAN OF BYTE screen)");
    in.fold("body", ClosedFold, 2, [](Builder& in2) {
      in2.text("SEQ");
      in2.text("  screen ! 'h'");
    }, 2, 1);
    in.text(":");
  }, 3, 1);
  b.fold("library", FiledFold, 0, [](Builder&) {}, 1, 0, "sample_part.tsr");
}

void tdsPart(Builder& b) {
  b.fold("PROC lib", ClosedFold, 0, [](Builder& in) {
    in.text("PROC lib ()");
    in.text("  SKIP");
    in.text(":");
  });
}

const Sample kSamples[] = {
    {"sample.c", "/*", "*/", "C", false, cMain},
    {"sample_part.c", "/*", "*/", "C", false, cPart},
    {"sample_io.c", "/*", "*/", "C", false, cIo},
    {"sample.occ", "--", "", "occam2", false, occMain},
    {"sample_part.occ", "--", "", "occam2", false, occPart},
    {"sample.tsr", "tds", "", "TDS", true, tdsMain},
    {"sample_part.tsr", "tds", "", "TDS", true, tdsPart},
};

class SamplesTest : public PlicatoTest {};

TEST_F(SamplesTest, SamplesAreWhatTheWriterWrites) {
  const std::string dir = std::string(PLICATO_SOURCE_DIR) + "/resources/samples";
  const char* regen = std::getenv("PLICATO_REGENERATE_SAMPLES");
  const bool regenerate = regen && std::string(regen) == "1";
  for (const Sample& s : kSamples) {
    SCOPED_TRACE(s.file);
    auto w = newWindow(ctx, s.commentStart, s.commentEnd, s.type);
    w->pushBasePath(regenerate ? dir : work.path());
    assign(*w->fileBottom, s.file);
    Builder b = top(*w);
    s.fill(b);
    finish(*w, b);
    w->readAsTds = s.tds;
    save(*w);
    ASSERT_EQ(w->ioStatus, 0);
    if (regenerate) continue;
    EXPECT_EQ(work.read(s.file), readFile(dir + "/" + s.file));
    // And each reads back as the tree it was made from.
    auto back = newWindow(ctx, s.commentStart, s.commentEnd, s.type);
    open(*back, dir + "/" + s.file);
    EXPECT_EQ(dump(*back), dump(*w));
  }
}

}  // namespace
