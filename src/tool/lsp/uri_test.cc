#include "tool/lsp/uri.h"

#include <gtest/gtest.h>

namespace pack::lsp {
namespace {

struct UriCase {
  const char* name;
  const char* uri;
  const char* path;
};

class Uris : public testing::TestWithParam<UriCase> {};

TEST_P(Uris, PathAndBack) {
  EXPECT_EQ(uriToPath(GetParam().uri), std::optional<std::string>(GetParam().path));
  EXPECT_EQ(uriToPath(pathToUri(GetParam().path)), std::optional<std::string>(GetParam().path));
}

INSTANTIATE_TEST_SUITE_P(
    Files, Uris,
    testing::Values(UriCase{"posix", "file:///home/a/Linea_linea.txt", "/home/a/Linea_linea.txt"},
                    UriCase{"escaped", "file:///tmp/con%20spazio/Citt%C3%A0_517-.txt",
                            "/tmp/con spazio/Citt\xc3\xa0_517-.txt"},
                    UriCase{"host", "file://localhost/srv/x.txt", "/srv/x.txt"},
                    UriCase{"drive", "file:///C:/Linee/Borgo_linea.txt", "C:\\Linee\\Borgo_linea.txt"},
                    UriCase{"escaped_drive", "file:///c%3A/Linee/a%2Bb_1-.txt", "c:\\Linee\\a+b_1-.txt"}),
    [](const testing::TestParamInfo<UriCase>& info) { return std::string(info.param.name); });

TEST(UriTest, OnlyFileUrisNamePaths) {
  EXPECT_EQ(uriToPath("untitled:Untitled-1"), std::nullopt);
  EXPECT_EQ(uriToPath("file://"), std::nullopt);
  EXPECT_EQ(uriToPath("file:///a%2"), std::nullopt);
  EXPECT_EQ(uriToPath("file:///a%00b"), std::nullopt);
}

}  // namespace
}  // namespace pack::lsp
