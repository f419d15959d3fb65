#include "tool/lsp/server.h"

#include <gtest/gtest.h>

#include <sstream>

#include "formats/cp1252.h"
#include "platform/memory_file_system.h"
#include "writers/embedded_tables.h"
#include "writers/line_table.h"

namespace pack::lsp {
namespace {

constexpr const char* kRoute = "Borgorosso_MontegranoC_linea.txt";
constexpr const char* kTrain = "Borgorosso_MontegranoC_517-.txt";
constexpr const char* kFolder = "/linee";

std::string uriOf(const char* name) { return std::string("file:///linee/") + name; }

// One session with the server, on the embedded scenario's sources in a memory folder.
class Session {
 public:
  explicit Session(std::string folder = kFolder) : folder_(std::move(folder)) {
    // The embedded scenario's texts as the pack's own writers write them.
    for (const EmbeddedText& text : embeddedTexts({kScenarioName, kTrainNumber})) {
      writeLineTable(disk, disk.join(folder_, text.name), text.lines);
    }
  }
  std::string uri(const char* name) const { return "file://" + disk.join(folder_, name); }

  json request(const std::string& method, json params) {
    json id = next_++;
    json answer;
    for (json& m : server.handle({{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", params}})) {
      if (m.contains("id") && m["id"] == id) answer = m;
    }
    return answer;
  }
  void notify(const std::string& method, json params) {
    for (json& m : server.handle({{"jsonrpc", "2.0"}, {"method", method}, {"params", params}})) notes.push_back(m);
  }
  void start() { request("initialize", {{"capabilities", json::object()}}); }
  void open(const char* name, const std::string& utf8) {
    notify("textDocument/didOpen", {{"textDocument", {{"uri", uri(name)}, {"languageId", "scenario"},
                                                      {"version", 1}, {"text", utf8}}}});
  }
  // The source as the editor shows it: its bytes as code page 1252.
  std::string diskText(const char* name) { return cp1252ToUtf8(disk.files[disk.join(folder_, name)]); }
  // The diagnostics last published for a file.
  json diagnostics(const char* name) {
    for (auto m = notes.rbegin(); m != notes.rend(); ++m) {
      if ((*m)["method"] == "textDocument/publishDiagnostics" && (*m)["params"]["uri"] == uri(name)) {
        return (*m)["params"]["diagnostics"];
      }
    }
    return nullptr;
  }
  json at(const char* name, std::size_t line, std::size_t character) {
    return {{"textDocument", {{"uri", uri(name)}}}, {"position", {{"line", line}, {"character", character}}}};
  }

  MemoryFileSystem disk;
  LanguageServer server{disk};
  std::vector<json> notes;

 private:
  std::string folder_;
  int next_ = 1;
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// The first diagnostic with the code, or null.
json withCode(const json& diagnostics, const std::string& code) {
  for (const json& d : diagnostics) {
    if (d.value("code", "") == code) return d;
  }
  return nullptr;
}

// --- The protocol itself -----------------------------------------------------------------------------

TEST(LanguageServerTest, ARequestBeforeInitializeIsRefused) {
  Session s;
  EXPECT_EQ(s.request("textDocument/hover", s.at(kTrain, 0, 0))["error"]["code"], kServerNotInitialized);
  s.open(kTrain, s.diskText(kTrain));  // a notification before initialize is dropped
  EXPECT_TRUE(s.notes.empty());
  EXPECT_TRUE(s.request("initialize", json::object()).contains("result"));
  EXPECT_EQ(s.request("initialize", json::object())["error"]["code"], kInvalidRequest);
}

TEST(LanguageServerTest, MalformedMessagesGetErrorsNotCrashes) {
  Session s;
  s.start();
  struct Case {
    std::string body;
    int code;
  };
  for (const Case& c : {Case{"{not json", kParseError}, Case{"[1, 2]", kInvalidRequest},
                        Case{R"({"jsonrpc":"2.0","id":7})", kInvalidRequest},
                        Case{R"({"jsonrpc":"2.0","id":8,"method":"no/such"})", kMethodNotFound},
                        Case{R"({"jsonrpc":"2.0","id":9,"method":"textDocument/hover","params":{}})", kInvalidParams},
                        Case{R"({"jsonrpc":"2.0","id":10,"method":"textDocument/hover","params":
                               {"textDocument":{"uri":"file:///x"},"position":{"line":0,"character":0}}})",
                             kInvalidParams}}) {
    std::vector<json> answer = s.server.handleBody(c.body);
    ASSERT_EQ(answer.size(), 1u) << c.body;
    EXPECT_EQ(answer[0]["error"]["code"], c.code) << c.body;
  }
  EXPECT_TRUE(s.server.handleBody(R"({"jsonrpc":"2.0","method":"no/such/notification"})").empty());
  EXPECT_TRUE(s.server.handleBody(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{}})")[0]
                  ["method"] == "window/logMessage");
}

TEST(LanguageServerTest, ShutdownThenExitEndsWithZero) {
  for (bool shutdownFirst : {true, false}) {
    Session s;
    s.start();
    if (shutdownFirst) {
      EXPECT_TRUE(s.request("shutdown", nullptr)["result"].is_null());
      EXPECT_EQ(s.request("textDocument/hover", s.at(kTrain, 0, 0))["error"]["code"], kInvalidRequest);
    }
    s.notify("exit", nullptr);
    EXPECT_TRUE(s.server.finished());
    EXPECT_EQ(s.server.exitStatus(), shutdownFirst ? 0 : 1);
  }
}

TEST(LanguageServerTest, TheStreamLoopAnswersEachFrameAndLogsBadOnes) {
  MemoryFileSystem disk;
  std::string init = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
  std::string stop = R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})";
  std::string exit = R"({"jsonrpc":"2.0","method":"exit"})";
  auto frame = [](const std::string& body) { return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body; };
  std::istringstream in(frame(init) + "Content-Length: x\r\n\r\n" + frame("{") + frame(stop) + frame(exit) +
                        frame(init));
  std::ostringstream out;
  EXPECT_EQ(runLanguageServer(in, out, disk), 0);
  std::string written = out.str();
  EXPECT_NE(written.find("\"capabilities\""), std::string::npos);
  EXPECT_NE(written.find("window/logMessage"), std::string::npos);
  EXPECT_NE(written.find(std::to_string(kParseError)), std::string::npos);
  EXPECT_EQ(written.find("\"id\":1", written.find("\"id\":2")), std::string::npos);  // nothing after exit
}

TEST(LanguageServerTest, BadFramesWithBodiesDoNotEndTheSession) {
  MemoryFileSystem disk;
  std::string init = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";
  std::string stop = R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})";
  std::string exit = R"({"jsonrpc":"2.0","method":"exit"})";
  std::string lost = R"({"jsonrpc":"2.0","id":7,"method":"shutdown"})";
  auto frame = [](const std::string& body) { return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body; };
  std::istringstream in(frame(init) + "Content-Type: text\r\n\r\n" + lost + "Content-Length: -3\r\n\r\n" + lost +
                        "Content-Length: 9223372036854775808\r\n\r\n" + lost + frame(stop) + frame(exit));
  std::ostringstream out;
  EXPECT_EQ(runLanguageServer(in, out, disk), 0) << "exit after an answered shutdown";
  std::string written = out.str();
  EXPECT_NE(written.find("\"id\":2"), std::string::npos) << "shutdown is answered";
  EXPECT_EQ(written.find("\"id\":7"), std::string::npos) << "the bodies of bad frames are not read as messages";
}

// --- Diagnostics ---------------------------------------------------------------------------------

TEST(LanguageServerTest, TheCompilersErrorIsPublishedAtItsLine) {
  Session s;
  s.start();
  // Line 42 (41 from 0) puts a second signal on the cell of the one on line 41.
  s.open(kTrain, replaced(s.diskText(kTrain), "segnale,    6850", "segnale,    5450"));
  json error = withCode(s.diagnostics(kTrain), "E16");
  ASSERT_FALSE(error.is_null()) << s.diagnostics(kTrain).dump(1);
  EXPECT_EQ(error["range"]["start"]["line"], 41);
  EXPECT_EQ(error["severity"], 1);
  EXPECT_NE(error["message"].get<std::string>().find("signal"), std::string::npos);
  EXPECT_TRUE(s.diagnostics(kRoute).is_array());  // the other source of the unit is published too
}

TEST(LanguageServerTest, TheEditorsTextWinsOverTheFileOnDisk) {
  Session s;
  s.start();
  std::string& onDisk = s.disk.files[s.disk.join(kFolder, kTrain)];
  onDisk = replaced(onDisk, "segnale,    6850", "segnale,    5450");
  std::string fixed = replaced(s.diskText(kTrain), "segnale,    5450,   2", "segnale,    6850,   2");
  s.open(kTrain, fixed);
  EXPECT_TRUE(withCode(s.diagnostics(kTrain), "E16").is_null());
  s.notify("textDocument/didChange", {{"textDocument", {{"uri", uriOf(kTrain)}, {"version", 2}}},
                                      {"contentChanges", {{{"text", s.diskText(kTrain)}}}}});
  EXPECT_FALSE(withCode(s.diagnostics(kTrain), "E16").is_null());
}

// A fault of the route, which is not open, is shown in the route where it is.
// The folder at the file system's root is a folder like any other.
TEST(LanguageServerTest, AnErrorOfTheClosedRouteIsPublishedForTheRoute) {
  for (const char* folder : {kFolder, "/"}) {
    Session s(folder);
    s.start();
    std::string& route = s.disk.files[s.disk.join(folder, kRoute)];
    route = replaced(route, "ripetizione segnali 4 codici", "ripetizione segnali codici");
    s.open(kTrain, s.diskText(kTrain));
    json error = withCode(s.diagnostics(kRoute), "E5");
    ASSERT_FALSE(error.is_null()) << folder << ": " << s.diagnostics(kRoute).dump(1);
    EXPECT_EQ(error["range"]["start"]["line"], 8) << folder;
  }
}

// LF line ends, accented letters and the euro sign in the editor's buffer leave every line and column
// where the compiler sees it; a character code page 1252 cannot hold is named at its column.
TEST(LanguageServerTest, EncodingsLandOnTheRightLineAndColumn) {
  Session s;
  s.start();
  std::string text = s.diskText(kTrain);
  std::erase(text, '\r');
  text = replaced(text, "[generale]", "-- citt\xc3\xa0 \xe2\x82\xac \xe2\x86\x92 nota\n[generale]");
  text = replaced(text, "segnale,    6850", "segnale,    5450");
  s.open(kTrain, text);
  json diagnostics = s.diagnostics(kTrain);
  json error = withCode(diagnostics, "E16");
  ASSERT_FALSE(error.is_null()) << diagnostics.dump(1);
  EXPECT_EQ(error["range"]["start"]["line"], 42);
  json character = withCode(diagnostics, "L036");
  ASSERT_FALSE(character.is_null()) << diagnostics.dump(1);
  EXPECT_EQ(character["range"]["start"], (json{{"line", 0}, {"character", 11}}));
  EXPECT_EQ(character["range"]["end"], (json{{"line", 0}, {"character", 12}}));
}

TEST(LanguageServerTest, ALargeChangeIsCheckedWithoutHarm) {
  Session s;
  s.start();
  s.open(kTrain, s.diskText(kTrain));
  std::string large = "-- " + std::string(10u << 20, 'x') + "\n" + s.diskText(kTrain);
  s.notify("textDocument/didChange", {{"textDocument", {{"uri", uriOf(kTrain)}, {"version", 2}}},
                                      {"contentChanges", {{{"text", large}}}}});
  EXPECT_TRUE(s.diagnostics(kTrain).is_array());
}

// --- What the editor asks about a place ----------------------------------------------------------

TEST(LanguageServerTest, HoverOnAKeyGivesItsMeaningAndOnAValueItsName) {
  Session s;
  s.start();
  s.open(kTrain, s.diskText(kTrain));
  std::string key = s.request("textDocument/hover", s.at(kTrain, 40, 2))["result"]["contents"]["value"];
  EXPECT_NE(key.find("A signal beside the track"), std::string::npos) << key;
  std::string value = s.request("textDocument/hover", s.at(kTrain, 40, 13))["result"]["contents"]["value"];
  EXPECT_NE(value.find("value 1 of 11: position (posizione), m"), std::string::npos) << value;
  EXPECT_NE(value.find("Kilometre post 155+500"), std::string::npos) << value;
  EXPECT_NE(value.find("signal"), std::string::npos) << value;

  // A value the simulator sees otherwise says what it becomes.
  s.notify("textDocument/didChange",
           {{"textDocument", {{"uri", uriOf(kTrain)}, {"version", 2}}},
            {"contentChanges", {{{"text", replaced(s.diskText(kTrain), "velocita,   17050,    65", "velocita,   17050,    62")}}}}});
  std::string speed = s.request("textDocument/hover", s.at(kTrain, 30, 23))["result"]["contents"]["value"];
  EXPECT_NE(speed.find("62 km/h is stored as 60 km/h"), std::string::npos) << speed;
}

TEST(LanguageServerTest, CompletionOffersTheKeysOfThePartWithTheirValues) {
  Session s;
  s.start();
  s.open(kTrain, replaced(s.diskText(kTrain), "[segnali]", "[segnali]\r\nseg"));
  json items = s.request("textDocument/completion", s.at(kTrain, 40, 3))["result"];
  bool found = false;
  for (const json& item : items) {
    if (item["label"] != "segnale") continue;
    found = true;
    EXPECT_EQ(item["textEdit"]["newText"].get<std::string>().substr(0, 36), "segnale,  ${1:position (posizione)},");
  }
  EXPECT_TRUE(found) << items.dump(1);
}

TEST(LanguageServerTest, SignatureHelpNamesTheValueUnderTheCursor) {
  Session s;
  s.start();
  s.open(kTrain, replaced(s.diskText(kTrain), "[segnali]", "[segnali]\r\nstazione, 100, 1, "));
  json help = s.request("textDocument/signatureHelp", s.at(kTrain, 40, 18))["result"];
  EXPECT_EQ(help["activeParameter"], 2);
  EXPECT_EQ(help["signatures"][0]["documentation"]["value"], "**value 3 of 17: platform length, m**");
}

TEST(LanguageServerTest, SymbolsListSectionsAndTheirEntries) {
  Session s;
  s.start();
  s.open(kTrain, s.diskText(kTrain));
  json symbols = s.request("textDocument/documentSymbol", {{"textDocument", {{"uri", uriOf(kTrain)}}}})["result"];
  bool station = false;
  for (const json& section : symbols) {
    if (section["name"] != "[stazioni]") continue;
    for (const json& child : section["children"]) station |= child["name"] == "stazione 9750 SASSOCANDIDO";
  }
  EXPECT_TRUE(station) << symbols.dump(1);
}

TEST(LanguageServerTest, ANearMissKeyHasAFix) {
  Session s;
  s.start();
  s.open(kTrain, replaced(s.diskText(kTrain), "segnale,    6850", "segnal,    6850"));
  json diagnostics = s.diagnostics(kTrain);
  json fix;
  for (const json& d : diagnostics) {
    if (d.contains("data")) fix = d;
  }
  ASSERT_FALSE(fix.is_null()) << diagnostics.dump(1);
  EXPECT_EQ(fix.value("code", ""), "L014") << "the finding's id names the diagnostic";
  json actions = s.request("textDocument/codeAction", {{"textDocument", {{"uri", uriOf(kTrain)}}},
                                                       {"range", fix["range"]},
                                                       {"context", {{"diagnostics", {fix}}}}})["result"];
  ASSERT_EQ(actions.size(), 1u);
  json edit = actions[0]["edit"]["changes"][uriOf(kTrain)][0];
  EXPECT_EQ(edit["newText"], "segnale");
  EXPECT_EQ(actions[0]["title"], "Write \"segnale\"");
  EXPECT_EQ(edit["range"]["start"], (json{{"line", 41}, {"character", 0}}));
  EXPECT_EQ(edit["range"]["end"], (json{{"line", 41}, {"character", 6}}));
}

// A signal on a taken cell: the fix is the nearest position whose cell is free, checked by a compile.
TEST(LanguageServerTest, ASignalOnATakenCellMovesToTheNearestFreeCell) {
  Session s;
  s.start();
  s.open(kTrain, replaced(s.diskText(kTrain), "segnale,    6850", "segnale,    5450"));
  json error = withCode(s.diagnostics(kTrain), "E16");
  ASSERT_FALSE(error.is_null());
  json actions = s.request("textDocument/codeAction", {{"textDocument", {{"uri", uriOf(kTrain)}}},
                                                       {"range", error["range"]},
                                                       {"context", {{"diagnostics", {error}}}}})["result"];
  ASSERT_EQ(actions.size(), 1u) << actions.dump(1);
  json edit = actions[0]["edit"]["changes"][uriOf(kTrain)][0];
  // 5450 m stands in the cell of the signal before it; 5500 m is the next cell, and free.
  EXPECT_EQ(edit["newText"], "5500");
  EXPECT_EQ(edit["range"]["start"], (json{{"line", 41}, {"character", 12}}));
  EXPECT_EQ(edit["range"]["end"], (json{{"line", 41}, {"character", 16}}));
  s.notify("textDocument/didChange", {{"textDocument", {{"uri", uriOf(kTrain)}, {"version", 2}}},
                                      {"contentChanges", {{{"text", replaced(s.diskText(kTrain), "segnale,    6850",
                                                                              "segnale,    5500")}}}}});
  EXPECT_TRUE(withCode(s.diagnostics(kTrain), "E16").is_null()) << s.diagnostics(kTrain).dump(1);
}

TEST(LanguageServerTest, InlayHintsAreOffUnlessAsked) {
  for (bool asked : {false, true}) {
    Session s;
    s.request("initialize", {{"initializationOptions", {{"inlayHints", asked}}}});
    s.open(kTrain, s.diskText(kTrain));
    json hints = s.request("textDocument/inlayHint",
                           {{"textDocument", {{"uri", uriOf(kTrain)}}},
                            {"range", {{"start", {{"line", 40}, {"character", 0}}}, {"end", {{"line", 40}, {"character", 0}}}}}})["result"];
    ASSERT_EQ(hints.size(), asked ? 1u : 0u);
    if (asked) {
      EXPECT_EQ(hints[0]["label"].get<std::string>().substr(0, 7), "km 155+");
    }
  }
}

}  // namespace
}  // namespace pack::lsp
