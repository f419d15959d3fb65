// One verdict everywhere: for each source of the table, `check --json`, the live page's data and the
// language server's diagnostics give the same findings in the same order, and the cause of an error
// comes first.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "formats/cp1252.h"
#include "platform/platform.h"
#include "tool/commands/tool_test_support.h"
#include "tool/lsp/server.h"
#include "tool/serve/live_view.h"
#include "writers/embedded_tables.h"

namespace pack {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using tool_testing::kRoute;
using tool_testing::kTrain;
using tool_testing::readBytes;
using tool_testing::runToolCaptured;
using tool_testing::TempFolder;
using tool_testing::writeBytes;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// One finding as every front-end can tell it: where, how serious, which and what.
struct Said {
  std::string file;  // the file's name
  std::size_t line;  // from 1; 0 for the file as a whole, which an editor shows on its first line
  std::string severity;
  std::string id;
  std::string message;
  bool operator==(const Said&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Said& s) {
  return out << s.file << ":" << s.line << " " << s.severity << " [" << s.id << "] " << s.message;
}

std::string nameOf(const std::string& path) { return fs::path(path).filename().string(); }

std::vector<Said> fromVerdictJson(const json& verdict) {
  std::vector<Said> all;
  for (const json& f : verdict["findings"]) {
    all.push_back({nameOf(f["file"]), f["line"].is_null() ? 0 : f["line"].get<std::size_t>(), f["severity"],
                   f["id"].is_null() ? "" : f["id"].get<std::string>(), f["message"]});
  }
  return all;
}

// The language server's diagnostics for both sources, opened as an editor shows them (code page 1252),
// in the verdict's order: the route's, then the train run's, each as published.
std::vector<Said> fromLanguageServer(const fs::path& folder, const std::vector<Said>& order) {
  std::unique_ptr<Platform> disk = makeNativePlatform();
  lsp::LanguageServer server(*disk);
  auto uri = [&](const char* name) { return "file://" + (folder / name).string(); };
  server.handle({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", {{"capabilities", json::object()}}}});
  std::map<std::string, json> published;
  for (const char* name : {kRoute, kTrain}) {
    json open = {{"jsonrpc", "2.0"},
                 {"method", "textDocument/didOpen"},
                 {"params", {{"textDocument", {{"uri", uri(name)}, {"languageId", "scenario"}, {"version", 1},
                                               {"text", cp1252ToUtf8(readBytes(folder / name))}}}}}};
    for (const json& m : server.handle(open)) {
      if (m.value("method", "") == "textDocument/publishDiagnostics") published[m["params"]["uri"]] = m["params"]["diagnostics"];
    }
  }
  const std::map<int, std::string> severities = {{1, "error"}, {2, "warning"}, {3, "note"}};
  std::map<std::string, std::vector<Said>> byFile;
  for (const char* name : {kRoute, kTrain}) {
    for (const json& d : published[uri(name)]) {
      byFile[name].push_back({name, d["range"]["start"]["line"].get<std::size_t>() + 1, severities.at(d["severity"]),
                              d.value("code", ""), d["message"]});
    }
  }
  // The editor shows a finding of the whole file on its first line; the verdict's order within each file.
  std::vector<Said> all;
  std::map<std::string, std::size_t> next;
  for (const Said& s : order) {
    std::vector<Said>& file = byFile[s.file];
    if (next[s.file] < file.size()) all.push_back(file[next[s.file]++]);
  }
  return all;
}

std::vector<Said> editorLines(std::vector<Said> findings) {
  for (Said& s : findings) s.line = std::max<std::size_t>(s.line, 1);
  return findings;
}

TEST(OneVerdict, CheckThePageAndTheEditorSayTheSameInTheSameOrder) {
  using Edit = std::function<void(std::string& route, std::string& run)>;
  struct Case {
    const char* name;
    Edit edit;
    std::vector<std::string> first;  // the ids the verdict begins with, in order
  } cases[] = {
      {"LF line ends",
       [](std::string& route, std::string&) { std::erase(route, '\r'); },
       {"L033", "E25", "E25"}},
      {"UTF-8 text",
       [](std::string&, std::string& run) { run = replaced(run, "SASSOCANDIDO", "PI\xc3\x88VE"); },
       {"L034"}},
      {"byte-order mark", [](std::string& route, std::string&) { route = "\xef\xbb\xbf" + route; }, {"L032"}},
      {"two independent errors",
       [](std::string&, std::string& run) {
         run = replaced(run, "stazione,    9750,", "stazione,    9760,");
         run = replaced(run, "stazione,   22100,", "stazione,   22110,");
       },
       {"E8", "E8"}},
      {"a near-miss key",
       [](std::string&, std::string& run) { run = replaced(run, "segnale,    6850", "segnal,    6850"); },
       {"L014"}},
      {"a platform error behind a position error",
       [](std::string&, std::string& run) { run = replaced(run, "stazione,    9750, 22,  300,", "stazione,    9760, 22,  250,"); },
       {"E8", "L035"}},
      {"a terminus the train cannot reach in its time",
       [](std::string&, std::string& run) { run = replaced(run, "0,  17,27, 0, MONTEGRANO C.", "0,  16,58, 0, MONTEGRANO C."); },
       {"L038"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    ASSERT_EQ(runToolCaptured({"export", folder.str()}).status, 0);
    std::string route = readBytes(folder.path() / kRoute), run = readBytes(folder.path() / kTrain);
    c.edit(route, run);
    writeBytes(folder.path() / kRoute, route);
    writeBytes(folder.path() / kTrain, run);

    const std::vector<Said> checked = fromVerdictJson(json::parse(runToolCaptured({"check", "--json", folder.str()}).out));
    ASSERT_GE(checked.size(), c.first.size());
    for (std::size_t i = 0; i < c.first.size(); ++i) EXPECT_EQ(checked[i].id, c.first[i]) << checked[i];

    std::unique_ptr<Platform> disk = makeNativePlatform();
    LiveView page = viewSources(*disk, {folder.str(), std::string(kScenarioName), std::string(kTrainNumber), "t", true});
    EXPECT_EQ(fromVerdictJson(json::parse(page.message)["verdict"]), checked);

    EXPECT_EQ(fromLanguageServer(folder.path(), checked), editorLines(checked));
  }
}

// The cause is said first and once: the error it causes names it instead of listing what else it could be.
TEST(OneVerdict, TheCauseComesFirstAndTheErrorSaysSoOnce) {
  TempFolder folder;
  ASSERT_EQ(runToolCaptured({"export", folder.str()}).status, 0);
  std::string route = readBytes(folder.path() / kRoute);
  std::erase(route, '\r');
  writeBytes(folder.path() / kRoute, route);
  for (const char* command : {"check", "compile"}) {
    tool_testing::ToolRun said = runToolCaptured({command, folder.str()});
    const std::string& text = std::string(command) == "check" ? said.out : said.err;
    EXPECT_TRUE(text.starts_with((folder.path() / kRoute).string() + ":1:")) << text;
    EXPECT_NE(text.find(": warning: the lines end with LF alone"), std::string::npos) << text;
    EXPECT_NE(text.find("error 25: the source could not be read because of its line ends"), std::string::npos) << text;
    EXPECT_EQ(text.find("a value is not a whole number"), std::string::npos) << "no list of other causes\n" << text;
    EXPECT_EQ(text.find("set aside"), std::string::npos) << "nothing behind a file read as one line\n" << text;
  }
}

}  // namespace
}  // namespace pack
