// What a page receives for the sources as an author edits them: the drawing and a clean verdict, the
// drawing following an edit, no drawing and the error at its line while they do not compile; and nothing
// written into the folder.
#include "tool/serve/live_view.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tool/commands/tool_test_support.h"
#include "tool/serve/live_page.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using tool_testing::kTrain;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

class LiveViewTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(runToolCaptured({"export", folder_.str()}).status, 0); }

  LiveView view() {
    LiveSources sources{folder_.str(), std::string(kScenarioName), std::string(kTrainNumber), "a title", true};
    return viewSources(*platform_, sources);
  }
  void edit(const std::string& from, const std::string& to) {
    fs::path path = folder_.path() / kTrain;
    std::string bytes = readBytes(path);
    std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    writeBytes(path, bytes.replace(at, from.size(), to));
  }
  std::size_t filesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()));
  }
  static std::int64_t stationMetre(const json& message, const std::string& name) {
    for (const json& s : message["data"]["stations"]) {
      if (s["name"] == name) return s["m"].get<std::int64_t>();
    }
    return -1;
  }

  TempFolder folder_;
  std::unique_ptr<Platform> platform_ = makeNativePlatform();
};

TEST_F(LiveViewTest, FollowsTheSourcesThroughABadEditAndBack) {
  const std::size_t files = filesInFolder();
  LiveView good = view();
  ASSERT_TRUE(good.drawing);
  json message = json::parse(good.message);
  EXPECT_EQ(good.message.find('\n'), std::string::npos) << "one line for the event stream";
  EXPECT_FALSE(message["stale"].get<bool>());
  EXPECT_EQ(message["verdict"]["findings"], json::array());
  EXPECT_TRUE(message["verdict"]["headline"].is_null());
  EXPECT_EQ(stationMetre(message, "SASSOCANDIDO"), 9750);
  EXPECT_EQ(message["data"], json::parse(good.message)["data"]);

  edit("stazione,    9750,", "stazione,    9600,");
  EXPECT_EQ(stationMetre(json::parse(view().message), "SASSOCANDIDO"), 9600);

  edit("stazione,    9600,", "stazione,    9x50,");
  LiveView bad = view();
  EXPECT_FALSE(bad.drawing);
  message = json::parse(bad.message);
  EXPECT_TRUE(message["data"].is_null());
  EXPECT_TRUE(message["stale"].get<bool>());
  const json& error = message["verdict"]["findings"][0];
  EXPECT_EQ(error["severity"], "error");
  EXPECT_TRUE(error["file"].get<std::string>().ends_with(kTrain)) << error;
  EXPECT_EQ(error["line"], 36);
  EXPECT_EQ(error["id"], "E25");
  EXPECT_NE(error["message"].get<std::string>().find("\"9x50\" is not a whole number"), std::string::npos) << error;
  // The terminal's line and the page's red box say what check says first.
  const std::string headline = message["verdict"]["headline"].get<std::string>();
  EXPECT_TRUE(headline.starts_with(error["file"].get<std::string>() + ":36: error 25: ")) << headline;
  EXPECT_TRUE(bad.summary.starts_with("does not compile (1 error, ")) << bad.summary;
  EXPECT_TRUE(bad.summary.ends_with(headline)) << bad.summary;

  fs::remove(folder_.path() / kTrain);
  message = json::parse(view().message);
  EXPECT_TRUE(message["data"].is_null());
  EXPECT_NE(message["verdict"]["headline"].get<std::string>().find("does not exist; check the train number"),
            std::string::npos);
  EXPECT_EQ(filesInFolder(), files - 1) << "nothing written into the folder";
}

TEST_F(LiveViewTest, ThePageFollowsTheStreamWithOrWithoutADrawing) {
  LiveView good = view();
  for (const std::string& page : {livePage(good.drawing.get(), "a title"), livePage(nullptr, "a <title>")}) {
    EXPECT_NE(page.find("data-live=\"1\""), std::string::npos) << "the viewer's script follows the stream";
    EXPECT_NE(page.find("new EventSource(\"/events\")"), std::string::npos);
    EXPECT_LT(page.find("<style>"), page.find("</head>"));
    EXPECT_LT(page.rfind("<script>"), page.rfind("</body>"));
  }
  EXPECT_NE(livePage(nullptr, "a <title>").find("<title>a &lt;title"), std::string::npos);
}

}  // namespace
}  // namespace pack
