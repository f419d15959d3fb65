#include "compiler/source_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/runtime_failure.h"

namespace pack {
namespace {

// Every field read in the place of a key, written "role:text@line:column", and how the walk ended.
struct Trace : KeyPlaceListener {
  std::vector<std::string> fields;
  void keyPlaceField(const KeyField& f, KeyPlaceRole role) override {
    static constexpr const char* kRoles[] = {"start", "comment", "key", "last"};
    fields.push_back(std::string(kRoles[static_cast<int>(role)]) + ":" + f.text + "@" + std::to_string(f.line) + ":" +
                     std::to_string(f.column));
  }
};

// Walks a source handing no values to the entries: every key is followed by the next key, as for a
// key that matches no entry.
std::string walkAll(std::string_view bytes, SourceLayout layout, Trace& trace) {
  SourceWalk walk(bytes, layout, &trace);
  try {
    if (!walk.findStart()) return "no start";
    while (std::optional<KeyField> key = walk.nextKey()) walk.entryHandled(*key);
    return "end";
  } catch (const RuntimeFailure&) {
    return "read past the end";
  }
}

struct WalkCase {
  const char* name;
  SourceLayout layout;
  std::string bytes;
  std::string outcome;
  std::vector<std::string> fields;
};

TEST(SourceWalk, FindsTheFieldsAsTheCompilerReadsThem) {
  using enum SourceLayout;
  const std::string tenComments = "-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n-\r\n";
  const WalkCase cases[] = {
      {"empty route: a read past the end", kRoute, "", "read past the end", {}},
      {"empty train run: no start", kTrainRun, "", "no start", {}},
      {"the header as the last field opens nothing", kRoute, "x\r\n[GENERALE]", "no start", {"start:x@1:1", "last:[GENERALE]@2:1"}},
      {"header found, then a key and the last field", kTrainRun, "  [generale]\r\nsabbia, 1\r\n[fine]\r\n", "end",
       {"start:[generale]@1:3", "key:sabbia@2:1", "key:1@2:9", "last:[fine]@3:1"}},
      {"two comments stand in for a key, the third is the key", kTrainRun, "[generale]\r\n-a,-b,-c\r\n[fine]", "end",
       {"start:[generale]@1:1", "comment:-a@2:1", "comment:-b@2:4", "key:-c@2:7", "last:[fine]@3:1"}},
      {"a comment ending at a comma leaves the rest of the line to be read as a key", kTrainRun,
       "[generale]\r\n-- limite, velocita\r\n[fine]", "end",
       {"start:[generale]@1:1", "comment:-- limite@2:1", "key:velocita@2:12", "last:[fine]@3:1"}},
      {"the general part ends at a header, the feature part counts two comments", kRoute,
       "[generale]\r\n[curve]\r\n-\r\n-\r\n-\r\n[fine]", "end",
       {"start:[generale]@1:1", "key:[curve]@2:1", "comment:-@3:1", "comment:-@4:1", "key:-@5:1", "last:[fine]@6:1"}},
      {"a header beginning with a dash does not end the general part", kRoute,
       "[generale]\r\n-[x]\r\ny\r\n-\r\n-\r\n-\r\nz\r\n[fine]", "end",
       {"start:[generale]@1:1", "comment:-[x]@2:1", "key:y@3:1", "comment:-@4:1", "comment:-@5:1", "comment:-@6:1",
        "key:z@7:1", "last:[fine]@8:1"}},
      {"in the general part a run of comments reaching the end reads past it", kRoute, "[generale]\r\nx\r\n-\r\n-",
       "read past the end", {"start:[generale]@1:1", "key:x@2:1", "comment:-@3:1", "comment:-@4:1"}},
      {"in the general part the last field ends the walk outside a run", kRoute, "[generale]\r\n-\r\n", "end",
       {"start:[generale]@1:1", "last:-@2:1"}},
      {"ten comments in the general part, the eleventh field is the key", kRoute,
       "[generale]\r\n" + tenComments + "-k\r\n[fine]", "end", {}},
  };
  for (const WalkCase& c : cases) {
    Trace trace;
    EXPECT_EQ(walkAll(c.bytes, c.layout, trace), c.outcome) << c.name;
    if (!c.fields.empty() || c.outcome != "end") {
      EXPECT_EQ(trace.fields, c.fields) << c.name;
    } else {
      EXPECT_EQ(trace.fields.size(), 13u) << c.name;
      EXPECT_EQ(trace.fields[11], "key:-k@12:1") << c.name;
    }
  }
}

// The walk reads forward only: a million fields in one line are walked without rescanning it.
TEST(SourceWalk, ColumnsOfALongLineAreCountedOnce) {
  std::string line = "[generale]\r\n";
  for (int i = 0; i < 200000; ++i) line += "x,";
  line += "\r\n[fine]";
  SourceWalk walk(line, SourceLayout::kTrainRun);
  ASSERT_TRUE(walk.findStart());
  std::size_t column = 0;
  while (std::optional<KeyField> key = walk.nextKey()) column = key->column;
  EXPECT_EQ(column, 200000u * 2 + 1);  // the empty field after the last comma
}

}  // namespace
}  // namespace pack
