#include "tool/lsp/message_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace pack::lsp {
namespace {

// What the reader makes of a stream: each frame's body, or "!" for a frame it skipped.
std::vector<std::string> framesOf(const std::string& stream) {
  std::istringstream in(stream);
  MessageReader reader(in);
  std::vector<std::string> frames;
  while (std::optional<Frame> f = reader.next()) frames.push_back(f->body ? *f->body : "!");
  return frames;
}

struct FramingCase {
  const char* name;
  std::string stream;
  std::vector<std::string> frames;
};

class Framing : public testing::TestWithParam<FramingCase> {};

TEST_P(Framing, FramesAreCutWhereTheHeadersSay) { EXPECT_EQ(framesOf(GetParam().stream), GetParam().frames); }

INSTANTIATE_TEST_SUITE_P(
    Streams, Framing,
    testing::Values(
        FramingCase{"one", "Content-Length: 2\r\n\r\n{}", {"{}"}},
        FramingCase{"two_in_a_row", "Content-Length: 2\r\n\r\n{}Content-Length: 4\r\n\r\n[1,2]", {"{}", "[1,2"}},
        FramingCase{"other_headers_and_any_case",
                    "content-length:3\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\nabc",
                    {"abc"}},
        FramingCase{"lf_only_headers", "Content-Length: 1\n\nx", {"x"}},
        FramingCase{"no_length", "Content-Type: x\r\n\r\nContent-Length: 1\r\n\r\ny", {"!", "y"}},
        FramingCase{"length_not_a_number", "Content-Length: 1x\r\n\r\n", {"!"}},
        FramingCase{"negative_length", "Content-Length: -5\r\n\r\n", {"!"}},
        FramingCase{"length_beyond_the_limit", "Content-Length: 999999999999\r\n\r\n", {"!"}},
        FramingCase{"body_cut_by_the_end", "Content-Length: 10\r\n\r\nabc", {}},
        FramingCase{"nothing", "", {}},
        FramingCase{"blank_lines_between", "\r\n\r\nContent-Length: 1\r\n\r\nz", {"z"}},
        // A damaged header block's body runs into the next header: the reader finds it there.
        FramingCase{"no_length_then_its_body", "Content-Type: x\r\n\r\n{\"id\":9}Content-Length: 2\r\n\r\n{}", {"!", "{}"}},
        FramingCase{"negative_length_then_its_body", "Content-Length: -5\r\n\r\n{\"id\":9}content-length: 2\r\n\r\n{}",
                    {"!", "{}"}},
        FramingCase{"length_2_to_the_63_then_its_body",
                    "Content-Length: 9223372036854775808\r\n\r\n{\"id\":9}Content-Length: 2\r\n\r\n{}", {"!", "{}"}},
        FramingCase{"a_skipped_body_of_many_lines", "Content-Length: -1\r\n\r\n{\n\"a\": 1\n}Content-Length: 2\r\n\r\n{}",
                    {"!", "{}"}},
        FramingCase{"a_long_skipped_body", "Content-Length: -1\r\n\r\n" + std::string(100000, 'b') + "Content-Length: 2\r\n\r\n{}",
                    {"!", "{}"}}),
    [](const testing::TestParamInfo<FramingCase>& info) { return std::string(info.param.name); });

TEST(MessageReaderTest, AnEndlessHeaderLineIsCutNotHeld) {
  std::string junk(5'000'000, 'h');
  EXPECT_EQ(framesOf(junk + "\r\n\r\nContent-Length: 1\r\n\r\nq"), (std::vector<std::string>{"!", "q"}));
}

TEST(MessageReaderTest, ContentLengthValues) {
  EXPECT_EQ(contentLengthOf("Content-Length:  42 "), 42);
  EXPECT_EQ(contentLengthOf("Content-Type: 42"), std::nullopt);
  EXPECT_EQ(contentLengthOf("Content-Length:"), -1);
}

}  // namespace
}  // namespace pack::lsp
