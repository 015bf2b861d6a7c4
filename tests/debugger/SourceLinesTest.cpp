#include <gtest/gtest.h>

#include <string>

#include "debugger/SourceLines.h"

namespace {

// What sdcc writes for a small program (trimmed), and WLA-DX's line
// sections in both of its forms.
constexpr const char* kCdb =
    "M:main\n"
    "F:Fmain$add$0_0$0({2}DF,SI:S),C,0,0,0,0,0\n"
    "S:Lmain.add$a$1_0$0({2}SI:S),R,0,0,[l,h]\n"
    "F:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
    "S:Lmain.main$x$1_0$4({2}SI:S),B,1,-4\n"
    "S:G$flag$0_0$0({1}SC:U),E,0,0\n"
    "S:G$name$0_0$0({2}DG,SC:U),E,0,0\n"
    "S:G$table$0_0$0({8}DA4d,SI:S),E,0,0\n"
    "L:A$main$63:100\n"
    "L:C$main.c$4$0_0$2:100\n"
    "L:C$main.c$5$1_0$2:100\n"
    "L:Fmain$add$0$0:100\n"
    "L:XFmain$add$0$0:102\n"
    "L:C$main.c$10$2_0$4:103\n"
    "L:C$main.c$9$1_0$4:103\n"
    "L:G$main$0$0:103\n"
    "L:C$main.c$13$3_0$6:10C\n"
    "L:C$main.c$13$3_0$6:120\n"
    "L:C$main.c$14$3_0$6:116\n"
    "L:C$bank.c$3$0_0$1:28000\n"
    "L:XG$main$0$0:11F\n"
    "L:G$flag$0_0$0:C002\n"
    "L:G$name$0_0$0:C003\n"
    "L:G$table$0_0$0:C005\n"
    "L:C$broken$x$0:100\n";
constexpr const char* kWla =
    "[labels]\n00:0000 Start\n"
    "[source files]\n0000 5f0dc5ef main.s\n0001 01234567 lib/with space.s\n"
    "[addr-to-line mapping]\n00:0000 0000:00000005\n00:0003 0001:0000000a\n01:8000 0000:00000010\n"
    "00:zzzz 0000:00000001\n";
constexpr const char* kWlaV2 =
    "[source files v2]\n0000 5f0dc5ef main.s\n"
    "[addr-to-line mapping v2]\n00000000 00:0000 0000:00000005\n";

TEST(SourceLines, ReadsSdccAndWlaLineInformation) {
  SourceLines cdb;
  ASSERT_TRUE(cdb.Parse(kCdb));
  SourceLines wla;
  ASSERT_TRUE(wla.Parse(kWla));
  SourceLines wla2;
  ASSERT_TRUE(wla2.Parse(kWlaV2));
  SourceLines none;
  EXPECT_FALSE(none.Parse("[labels]\n00:0000 Start\n"));
  EXPECT_FALSE(none.Parse("DEF _main 0x100\n"));

  // Where code is: an address to a file and line.
  struct Where {
    const char* name;
    const SourceLines& lines;
    std::uint16_t address;
    std::int32_t bankAt;
    const char* file;  // nullptr: no line
    std::uint32_t line;
  };
  const Where places[] = {
      {"the statement, not the function's line", cdb, 0x100, -1, "main.c", 5},
      {"inside a line", cdb, 0x101, -1, "main.c", 5},
      {"shared address", cdb, 0x103, -1, "main.c", 10},
      {"later line", cdb, 0x118, -1, "main.c", 14},
      {"banked code in its bank", cdb, 0x8000, 2, "bank.c", 3},
      {"banked code, other bank", cdb, 0x8000, 3, nullptr, 0},
      {"WLA-DX", wla, 0x0004, 0, "lib/with space.s", 10},
      {"WLA-DX bank 1", wla, 0x8000, 1, "main.s", 16},
      {"WLA-DX v2", wla2, 0x0000, 0, "main.s", 5},
  };
  for (const Where& w : places) {
    const SourceLine* line = w.lines.LineAt(w.address, w.bankAt);
    if (w.file == nullptr) {
      EXPECT_EQ(line, nullptr) << w.name;
      continue;
    }
    ASSERT_NE(line, nullptr) << w.name;
    EXPECT_EQ(w.lines.Files()[line->file], w.file) << w.name;
    EXPECT_EQ(line->line, w.line) << w.name;
  }
  EXPECT_TRUE(cdb.StartsLine(0x10C, -1));
  EXPECT_FALSE(cdb.StartsLine(0x10D, -1));

  // A line to its code: every place of that line, or the next line with code.
  const int main = cdb.FileOf("/home/me/project/main.c");
  ASSERT_GE(main, 0);
  const std::vector<SourceLine> thirteen = cdb.CodeFor(main, 13);
  ASSERT_EQ(thirteen.size(), 2u);
  EXPECT_EQ(thirteen[0].address, 0x10C);
  EXPECT_EQ(thirteen[1].address, 0x120);
  const std::vector<SourceLine> eleven = cdb.CodeFor(main, 11);
  ASSERT_EQ(eleven.size(), 2u);
  EXPECT_EQ(eleven[0].line, 13u);
  EXPECT_TRUE(cdb.CodeFor(main, 15).empty());
  EXPECT_EQ(cdb.FileOf("other.c"), -1);
  EXPECT_EQ(wla.FileOf("/src/lib/with space.s"), 1);

  // Functions and variables.
  ASSERT_NE(cdb.FunctionAt(0x110, -1), nullptr);
  EXPECT_EQ(cdb.FunctionAt(0x110, -1)->name, "main");
  EXPECT_EQ(cdb.FunctionAt(0x101, -1)->name, "add");
  EXPECT_EQ(cdb.FunctionAt(0x130, -1), nullptr);
  struct Variable {
    const char* name;
    const char* function;
    SourceVariable::Where where;
    const char* type;
    int size;
    bool scalar;
  };
  const Variable variables[] = {
      {"a", "add", SourceVariable::Where::kRegisters, "int", 2, true},
      {"x", "main", SourceVariable::Where::kStack, "int", 2, true},
      {"flag", "", SourceVariable::Where::kMemory, "unsigned char", 1, true},
      {"name", "", SourceVariable::Where::kMemory, "unsigned char*", 2, true},
      {"table", "", SourceVariable::Where::kMemory, "int[4]", 8, false},
  };
  for (const Variable& v : variables) {
    const SourceVariable* found = cdb.Variable(v.name, v.function);
    ASSERT_NE(found, nullptr) << v.name;
    EXPECT_EQ(found->function, v.function) << v.name;
    EXPECT_EQ(found->where, v.where) << v.name;
    EXPECT_EQ(found->type, v.type) << v.name;
    EXPECT_EQ(found->size, v.size) << v.name;
    EXPECT_EQ(found->scalar, v.scalar) << v.name;
  }
  EXPECT_EQ(cdb.Variable("flag", "main")->address, 0xC002);
  EXPECT_EQ(cdb.Variable("x", "main")->offset, -4);
  EXPECT_EQ(cdb.Variable("a", "add")->registers, (std::vector<std::string>{"l", "h"}));
  EXPECT_EQ(cdb.Variable("a", "main"), nullptr);
}

}  // namespace
