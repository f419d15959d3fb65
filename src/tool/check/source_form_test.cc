// The byte form of a source: line ends, byte-order mark and UTF-8 text are named at their first
// occurrence, and normalize gives back the pack's bytes.
#include "tool/check/source_form.h"

#include <gtest/gtest.h>

#include <map>

#include "formats/cp1252.h"
#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

struct Expected {
  std::size_t line;
  std::size_t column;
  std::string has;
};

TEST(SourceForm, EachProblemIsNamedOnceAtItsFirstOccurrence) {
  struct Case {
    const char* name;
    std::string bytes;
    bool lineEndsBroken;
    std::vector<Expected> problems;
  } cases[] = {
      {"the pack's form", "[generale]\r\nsabbia, 180\r\n", false, {}},
      {"code page 1252 accents", "stazione, 0, SAN NICOL\xD2\r\nX\xC0\xE8\r\n", false, {}},
      {"no final line end", "[generale]\r\n[fine]", false, {}},
      {"LF only", "[generale]\nsabbia, 180\n", true, {{1, 11, "the lines end with LF alone"}}},
      {"mixed", "[generale]\r\nsabbia, 180\npendenza, 0, 1\r\n", true, {{2, 12, "mixed line ends: line 2"}}},
      {"bare CR", "[generale]\r\nsab\rbia\r\n", true, {{2, 4, "carriage return (CR) alone"}}},
      {"CR CR LF", "[generale]\r\r\n", true, {{1, 11, "line 1 ends with a carriage return"}}},
      {"byte-order mark", "\xEF\xBB\xBF[generale]\r\n", false, {{1, 1, "byte-order mark"}}},
      {"UTF-8 text", "[generale]\r\nstazione, 0, SAN NICOL\xC3\x92\r\n", false,
       {{2, 23, "\"\xC3\x92\" (U+00D2) is written in UTF-8 (bytes C3 92)"}}},
      {"all three, in file order", "\xEF\xBB\xBFS\xC3\x80N\nX\n", true,
       {{1, 1, "byte-order mark"}, {1, 2, "\xC3\x83\xE2\x82\xAC"}, {1, 4, "LF alone"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SourceFormCheck check = checkSourceForm(c.bytes);
    EXPECT_EQ(check.lineEndsBroken, c.lineEndsBroken);
    ASSERT_EQ(check.problems.size(), c.problems.size());
    for (std::size_t i = 0; i < c.problems.size(); ++i) {
      EXPECT_EQ(check.problems[i].line, c.problems[i].line) << check.problems[i].message;
      EXPECT_EQ(check.problems[i].column, c.problems[i].column) << check.problems[i].message;
      EXPECT_NE(check.problems[i].message.find(c.problems[i].has), std::string::npos) << check.problems[i].message;
      EXPECT_NE(check.problems[i].message.find("scenario-tool normalize"), std::string::npos) << "names the fix";
    }
  }
}

TEST(SourceForm, NormalizeRefusesWhatCodePage1252CannotHold) {
  struct Case {
    const char* name;
    std::string bytes;
    std::size_t line, column;
    std::string has;
  } cases[] = {
      {"CJK", "[generale]\nstazione, 0, \xE4\xB8\xAD\n", 2, 14, "U+4E2D"},
      {"emoji after accents", "\xC3\xA8\xC3\xA8\xF0\x9F\x9A\x82\n", 1, 3, "U+1F682"},
      {"malformed after a mark", "\xEF\xBB\xBF" "ab\r\nc\xFF\r\n", 2, 2, "not valid UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NormalizedSource result = normalizeSource(c.bytes);
    ASSERT_TRUE(result.refusal.has_value());
    EXPECT_EQ(result.refusal->line, c.line);
    EXPECT_EQ(result.refusal->column, c.column);
    EXPECT_NE(result.refusal->message.find(c.has), std::string::npos) << result.refusal->message;
  }
  // Not UTF-8 at all: taken as code page 1252 and kept, only the line ends change.
  EXPECT_EQ(normalizeSource("a\xC0\xFF\nb").bytes, "a\xC0\xFF\r\nb\r\n");
  EXPECT_TRUE(normalizeSource("a\r\n").changes.empty());
  EXPECT_TRUE(normalizeSource("").changes.empty());
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
  return s;
}

TEST(NormalizeCommand, GivesBackThePacksBytesFromEditorCopies) {
  std::map<std::string, std::string> originals = tool_testing::embeddedTexts();
  ASSERT_EQ(originals.size(), 5u);
  struct Variant {
    const char* name;
    std::string (*edit)(const std::string&);
  } variants[] = {
      {"UTF-8 with LF", [](const std::string& b) { return replaceAll(cp1252ToUtf8(b), "\r\n", "\n"); }},
      {"UTF-8 with mark and CR", [](const std::string& b) { return "\xEF\xBB\xBF" + replaceAll(cp1252ToUtf8(b), "\r\n", "\r"); }},
      {"mixed, no final line end",
       [](const std::string& b) {
         // A text that ends in an empty line keeps its last line end: without it the empty line is gone.
         std::string mixed = b.ends_with("\r\n\r\n") ? b : b.substr(0, b.size() - 2);
         std::size_t half = mixed.size() / 2;
         return replaceAll(mixed.substr(0, half), "\r\n", "\n") + mixed.substr(half);
       }},
  };
  for (const Variant& v : variants) {
    SCOPED_TRACE(v.name);
    TempFolder folder;
    std::vector<std::string> args = {"normalize"};
    for (const auto& [name, bytes] : originals) {
      writeBytes(folder.path() / name, v.edit(bytes));
      args.push_back((folder.path() / name).string());
    }
    tool_testing::ToolRun run = runToolCaptured(args);
    ASSERT_EQ(run.status, 0) << run.err;
    for (const auto& [name, bytes] : originals) {
      EXPECT_EQ(readBytes(folder.path() / name), bytes) << name;
      EXPECT_NE(run.out.find("normalized " + (folder.path() / name).string() + ": "), std::string::npos) << run.out;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 5)
        << "no temporary file is left behind";

    // A second run finds nothing to do and rewrites nothing.
    tool_testing::ToolRun again = runToolCaptured(args);
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(std::count(again.out.begin(), again.out.end(), '\n'), 5);
    EXPECT_EQ(again.out.find("normalized"), std::string::npos) << again.out;
  }
}

TEST(NormalizeCommand, ARefusedFileIsLeftAsItWasAndTheOthersAreDone) {
  TempFolder folder;
  fs::path bad = folder.path() / "bad.txt";
  fs::path good = folder.path() / "good.txt";
  writeBytes(bad, "[generale]\nstazione, 0, \xE2\x82\xAC\xE2\x84\xA2\xE2\x86\x92\n");  // euro and TM fit, the arrow does not
  writeBytes(good, "[generale]\n");
  tool_testing::ToolRun run = runToolCaptured({"normalize", bad.string(), good.string(), (folder.path() / "missing.txt").string()});
  EXPECT_EQ(run.status, 74);  // a file that cannot be read outweighs a refused one
  EXPECT_NE(run.err.find(bad.string() + ":2:16: error: \"\xE2\x86\x92\" (U+2192) has no place in code page 1252"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("missing.txt"), std::string::npos) << run.err;
  EXPECT_EQ(readBytes(bad), "[generale]\nstazione, 0, \xE2\x82\xAC\xE2\x84\xA2\xE2\x86\x92\n");
  EXPECT_EQ(readBytes(good), "[generale]\r\n");
  EXPECT_EQ(runToolCaptured({"normalize", bad.string()}).status, 65);
}

TEST(SourceForm, CompileNamesTheLineEndsBeforeTheErrorTheyCause) {
  TempFolder folder;
  ASSERT_EQ(runToolCaptured({"export", folder.str()}).status, 0);
  fs::path route = folder.path() / "Borgorosso_MontegranoC_linea.txt";
  std::string original = readBytes(route);
  writeBytes(route, replaceAll(original, "\r\n", "\n"));
  tool_testing::ToolRun run = runToolCaptured({"compile", folder.str()});
  EXPECT_NE(run.status, 0);
  std::string first = run.err.substr(0, run.err.find('\n'));
  EXPECT_TRUE(first.starts_with(route.string() + ":1:11: warning: the lines end with LF alone")) << run.err;
  EXPECT_EQ(run.err.find(route.string() + ":2"), std::string::npos) << "no consequence is reported as a cause\n" << run.err;
  EXPECT_EQ(readBytes(route), replaceAll(original, "\r\n", "\n")) << "the compile reads the bytes as they are";
}

}  // namespace
}  // namespace pack
