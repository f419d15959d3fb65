// A feature refused on a taken cell is reported with what holds the cell and the line that put it there;
// a station too close to the one before with where its platform may begin.
#include "tool/check/compile_report.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "tool/commands/tool_test_support.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

using tool_testing::kRoute;
using tool_testing::kTrain;

// The line (from 1) of the one line of `bytes` that begins with `start`.
std::size_t lineOf(const std::string& bytes, const std::string& start) {
  std::size_t at = bytes.find("\r\n" + start);
  EXPECT_NE(at, std::string::npos) << start;
  return 2 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

// Exports the embedded scenario into `folder` with `from` replaced by `to` in `file`; the edited bytes.
std::string exportEdited(const TempFolder& folder, const char* file, const std::string& from, const std::string& to) {
  EXPECT_EQ(runToolCaptured({"export", folder.str()}).status, 0);
  fs::path edited = folder.path() / file;
  std::string bytes = readBytes(edited);
  std::size_t at = bytes.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) bytes.replace(at, from.size(), to);
  writeBytes(edited, bytes);
  return bytes;
}

TEST(CompileExplained, NamesWhatHoldsATakenCellAndWhereAPlatformMayBegin) {
  struct Case {
    const char* name;
    const char* file;
    std::string from, to;
    std::string error;        // the start of the error's message, after the file and line
    const char* holderFile;   // the source of the entry that holds the cell; nullptr: no holder
    std::string holderLine;   // the start of that entry's line
    std::string detail;       // the detail, with {} for FILE:LINE of the holder
  } cases[] = {
      {"signal on a text board", kTrain, "segnale,    5450,", "segnale,    5400,", "error 16 at 5400 m", kRoute,
       "cartello_indicatore,  5400,", "the cell at 5450 m holds the text board of {}"},
      {"code point on a stop point", kTrain, "[codici]", "[codici]\r\nabbattimento,   250,  180",
       "error 7 at 250 m", kTrain, "stazione,       0,", "the cell at 250 m holds the stop point of the station of {}"},
      {"text board on a speed board", kRoute, "cartello_indicatore,  700,", "cartello_indicatore,  15950,",
       "error 6 at 15950 m", kRoute, "indicatori_vmax,  15950,", "the cell at 16000 m holds the speed-indicator board of {}"},
      {"slow-down start on a signal", kTrain, "[codici]", "rallentamento,  9200, 30, 400, 0, 0, 0\r\n[codici]",
       "error 18 at 9200 m", kTrain, "segnale,    9200,", "the cell at 9250 m holds the signal of {}"},
      {"slow-down end on a signal", kTrain, "[codici]", "rallentamento,  8700, 30, 500, 0, 0, 0\r\n[codici]",
       "error 19 at 8700 m", kTrain, "segnale,    9200,", "the cell at 9250 m holds the signal of {}"},
      {"slow-down warning point on a signal", kTrain, "[codici]", "rallentamento, 10400, 30, 400, 0, 0, 0\r\n[codici]",
       "error 17 at 10400 m", kTrain, "segnale,    9200,", "the cell at 9250 m holds the signal of {}"},
      {"speed board on a text board", kRoute, "[fine]", "indicatori_vmax,  700,  65,  65,  65,  0,  ,  ,  ,  0\r\n[fine]",
       "error 21 at 700 m", kRoute, "cartello_indicatore,  700,", "the cell at 750 m holds the text board of {}"},
      {"station too close", kTrain, "stazione,    9750,", "stazione,     400,", "error 22 at 400 m", nullptr, "",
       "the previous platform ends at 300 m, so this one may begin at 650 m at the earliest; it begins at 250 m "
       "(a station position of 800 m or more would do)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    exportEdited(folder, c.file, c.from, c.to);

    std::string detail = c.detail;
    if (c.holderFile != nullptr) {
      fs::path holder = folder.path() / c.holderFile;
      detail.replace(detail.find("{}"), 2, holder.string() + ":" + std::to_string(lineOf(readBytes(holder), c.holderLine)));
    }
    tool_testing::ToolRun run = runToolCaptured({"compile", folder.str()});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find(": " + c.error + ": "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("; " + detail + "\n"), std::string::npos) << run.err;

    tool_testing::ToolRun check = runToolCaptured({"check", "--json", folder.str()});
    nlohmann::json j = nlohmann::json::parse(check.out);
    EXPECT_EQ(j["detail"], nlohmann::json(detail));
    EXPECT_EQ(j["message"].get<std::string>().find(detail), std::string::npos) << "the detail is apart";
  }
}

// Error 15 refuses a position at either end of the track model: the message says which end, first.
TEST(CompileExplained, APositionOffTheTrackSaysWhichEnd) {
  struct Case {
    const char* file;
    std::string from, to;
    std::string says;  // after the file and line
  } cases[] = {
      {kTrain, "segnale,    5450,", "segnale,     300,",
       "error 15 at 300 m: a signal stands at 350 m or later, since its approach marks reach 400 m back and must "
       "stay on the track; move it to 350 m or later\n"},
      {kRoute, "cartello_indicatore,  28250,", "cartello_indicatore,  39800,",
       "error 15 at 39800 m: the track model ends at 39850 m (the route length plus 7000 m), and a feature needs "
       "100 m of it beyond its position, a station 800 m and a slow-down its whole length; move it back or lengthen "
       "the route\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    TempFolder folder;
    exportEdited(folder, c.file, c.from, c.to);
    tool_testing::ToolRun run = runToolCaptured({"compile", folder.str()});
    EXPECT_EQ(run.status, 1) << run.err;
    // The end it misses with the advice for that end, not the advice for either.
    EXPECT_NE(run.err.find(": " + c.says), std::string::npos) << run.err;
  }
}

// A signal whose approach marks fall on a station's is accepted by the compiler; the tool says so.
TEST(CompileExplained, ApproachMarksWrittenOverAnotherEntrysAreNamed) {
  TempFolder folder;
  ASSERT_EQ(runToolCaptured({"export", folder.str()}).status, 0);
  fs::path train = folder.path() / kTrain;
  std::string bytes = readBytes(train);
  bytes.replace(bytes.find("[codici]"), 8, "segnale,    9950,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n[codici]");
  writeBytes(train, bytes);
  std::string signal = train.string() + ":" + std::to_string(lineOf(bytes, "segnale,    9950,"));
  std::string station = train.string() + ":" + std::to_string(lineOf(bytes, "stazione,    9750,"));

  tool_testing::ToolRun run = runToolCaptured({"compile", folder.str()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, signal + ": warning: the approach marks of this entry replace those of " + station +
                         " in the cells at 9800, 9700 m; move one of the two 150 m further from the other so that both "
                         "keep their marks\n");
}

// Error 25 is one code for many causes: the line of the error says which field the compiler could not
// read and why.
TEST(CompileExplained, AReadingFailureSaysWhichFieldAndWhy) {
  struct Case {
    const char* file;
    std::string from, to;
    std::string lineStart;  // the line of the field
    std::string detail;     // with {} for that line's number
  } cases[] = {
      {kRoute, "pendenza,  350,   5", "pendenza,  350,   2x4", "pendenza,  350,",
       "\"2x4\" is not a whole number (value 2 of \"pendenza\": gradient, per mille) at line {}"},
      {kTrain, "stazione,    9750, 22,", "stazione,    9750, 300,", "stazione,    9750,",
       "\"300\" does not fit a byte (0 to 255) (value 2 of \"stazione\": type) at line {}"},
      {kTrain, "sabbia,    180", "sabbia,    40000", "sabbia,",
       "\"40000\" does not fit a 16-bit value (-32768 to 32767) (value 1 of \"sabbia\": sand) at line {}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    TempFolder folder;
    std::string bytes = exportEdited(folder, c.file, c.from, c.to);
    std::string detail = c.detail;
    detail.replace(detail.find("{}"), 2, std::to_string(lineOf(bytes, c.lineStart)));

    tool_testing::ToolRun run = runToolCaptured({"compile", folder.str()});
    EXPECT_EQ(run.status, 1) << run.err;
    // The specific reason alone, without the causes it might have had, and not again as a warning.
    EXPECT_NE(run.err.find(": error 25: " + detail + "\n"), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    tool_testing::ToolRun check = runToolCaptured({"check", "--json", folder.str()});
    EXPECT_EQ(nlohmann::json::parse(check.out)["detail"], nlohmann::json(detail));
  }
}

// Errors the compiler gives without a line or a reason of its own get the ones the tool knows: which
// kilometre-post definition is off the grid (error 2), and what stopped the reading when no field was
// unreadable (error 25 for a text the compiled table cannot hold).
TEST(CompileExplained, ErrorsWithoutTheirPlaceAreGivenIt) {
  struct Case {
    const char* file;
    std::string from, to;
    std::string lineStart;
    std::string says;  // after "FILE:LINE: "
  } cases[] = {
      {kRoute, "progressiva chilometrica uno,    0,    160850,", "progressiva chilometrica uno,    0,    160825,",
       "progressiva chilometrica uno,",
       "error 2: the kilometre-post definition \"progressiva chilometrica uno\" at line {} has the value 160825 m, "
       "not a multiple of 50; round it to 50 m\n"},
      {kTrain, "SASSOCANDIDO", std::string(65536, 'S'), "stazione,    9750,",
       "error 25: the reading stopped at this entry: station name longer than 65535 bytes\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    TempFolder folder;
    std::string bytes = exportEdited(folder, c.file, c.from, c.to);
    const std::string line = std::to_string(lineOf(bytes, c.lineStart));
    std::string says = c.says;
    if (std::size_t at = says.find("{}"); at != std::string::npos) says.replace(at, 2, line);
    tool_testing::ToolRun run = runToolCaptured({"check", folder.str()});
    EXPECT_NE(run.out.find((folder.path() / c.file).string() + ":" + line + ": " + says), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("check: 1 error, 0 warnings"), std::string::npos) << "said once, as the error\n" << run.out;
  }
}

}  // namespace
}  // namespace pack
