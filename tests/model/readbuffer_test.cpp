// Lines read from a file keep their texts in the file's buffer until they
// are changed; the buffer goes when the last of them lets go.
#include <gtest/gtest.h>

#include <string>

#include "model/readbuffer.hpp"
#include "support/testenv.hpp"
#include "foldfile_util.hpp"

using namespace foldtest;

namespace {

class ReadBufferTest : public PlicatoTest {};

TEST_F(ReadBufferTest, TextsStayInTheBufferUntilChangedAndTheBufferGoesWithTheLast) {
  const size_t before = readbuffer::buffersAlive();
  std::string file;
  for (int i = 0; i < 3000; ++i) file += "  line " + std::to_string(i) + "   \r\n";
  work.write("r.occ", "--{{{  f\r\n" + file + "--}}}\r\n" + file);
  {
    auto w = newWindow(ctx, "--", "", "occam2");
    open(*w, work.file("r.occ"));
    EXPECT_EQ(readbuffer::buffersAlive(), before + 1);
    LineNode* fold = root(*w)->next;
    ASSERT_EQ(fold->kind, ClosedFold);
    LineNode* a = fold->inner();
    LineNode* b = fold->next;
    EXPECT_TRUE(readbuffer::owns(a->text));
    // The text is what the line holds, no more, ended in the buffer.
    EXPECT_STREQ(a->text, "  line 0");
    EXPECT_EQ(capacity(*a), 9u);
    EXPECT_STREQ(b->text, "  line 0");
    // Grown, it moves out with its bytes; cut short, it may stay.
    append(*a, " and more");
    EXPECT_FALSE(readbuffer::owns(a->text));
    EXPECT_STREQ(a->text, "  line 0 and more");
    eraseAt(*b, 0, 2);
    EXPECT_STREQ(b->text, "line 0");
    assign(*b->next, "x");
    EXPECT_STREQ(b->next->text, "x");
    // A save reads what the lines say.
    save(*w);
    std::string saved = work.read("r.occ");
    EXPECT_EQ(saved.substr(0, 29), "--{{{  f\r\n  line 0 and more\r\n");
    EXPECT_NE(saved.find("\r\nline 0\r\nx\r\n  line 2\r\n"), std::string::npos);
  }
  EXPECT_EQ(readbuffer::buffersAlive(), before);
}

TEST_F(ReadBufferTest, WhenEveryLineHasChangedTheBufferGoes) {
  const size_t before = readbuffer::buffersAlive();
  work.write("d.occ", "a\nb\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("d.occ"));
  LineNode* a = root(*w)->next;
  // Every line grown out of it: the buffer has nobody left.
  assign(*a, "one");
  assign(*a->next, "two");
  EXPECT_EQ(readbuffer::buffersAlive(), before);
}

}  // namespace
