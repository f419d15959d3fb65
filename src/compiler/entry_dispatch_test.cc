#include "compiler/entry_dispatch.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace pack {
namespace {

constexpr ValueDefinition kTwoValues[] = {ValueWidth::kInt16, ValueWidth::kText};
constexpr EntryDefinition kFirst{"primo", {"primo"}, kTwoValues};
constexpr EntryDefinition kSecond{"secondo", {"secondo"}, kTwoValues};
constexpr const EntryDefinition* kEntries[] = {&kFirst, &kSecond};

// A reading that notes which handlers ran and answers with a chosen outcome.
struct Reading {
  EntryOutcome first(EntryValues& in) {
    const std::int16_t number = in.int16();
    ran.push_back("primo " + std::to_string(number) + " " + in.text());
    return firstAnswer;
  }
  EntryOutcome second(EntryValues& in) {
    ran.push_back("secondo " + std::string(in.key()));
    return EntryOutcome::goOn();
  }

  EntryOutcome firstAnswer;
  std::vector<std::string> ran;
};

constexpr EntryHandler<Reading> kInOrder[] = {{&kFirst, &Reading::first}, {&kSecond, &Reading::second}};
constexpr EntryHandler<Reading> kSwapped[] = {{&kSecond, &Reading::second}, {&kFirst, &Reading::first}};
constexpr EntryHandler<Reading> kOneMissing[] = {{&kFirst, &Reading::first}};
static_assert(inEntryOrder(kInOrder, kEntries));
static_assert(!inEntryOrder(kSwapped, kEntries));
static_assert(!inEntryOrder(kOneMissing, kEntries));

TEST(EntryDispatch, EveryMatchingEntryRunsInOrderUntilOneDoesNotGoOn) {
  FieldReader source("7, testo\r\n");
  Reading reading;
  EXPECT_FALSE(handleKey(reading, source, kInOrder, "primo secondo"));
  EXPECT_EQ(reading.ran, (std::vector<std::string>{"primo 7 testo", "secondo primo secondo"}));

  FieldReader again("7, testo\r\n");
  Reading refusing;
  refusing.firstAnswer = {kErrCurve, std::nullopt};
  EXPECT_EQ(handleKey(refusing, again, kInOrder, "primo secondo").code, kErrCurve);
  EXPECT_EQ(refusing.ran, (std::vector<std::string>{"primo 7 testo"}));
}

TEST(EntryDispatch, AValueIsReadOnlyWithItsDeclaredWidth) {
  FieldReader source("7, 8\r\n");
  EntryValues in(source, kFirst, "primo");
  EXPECT_THROW(in.int32(), std::logic_error);  // the first value is 16 bits; nothing is read

  EntryValues twice(source, kFirst, "primo");
  EXPECT_EQ(twice.int16(), 7);
  EXPECT_EQ(twice.text(), "8");
  EXPECT_THROW(twice.text(), std::logic_error);  // the entry has two values
}

TEST(EntryDispatch, TheOutcomeSaysWhetherThePartEnds) {
  EXPECT_TRUE(EntryOutcome::goOn().goesOn());
  EXPECT_TRUE(EntryOutcome::beyondTrack(5).endsPart());
  EXPECT_EQ(EntryOutcome::beyondTrack(5).position, 5);
  const EntryOutcome refused{kErrSignalOccupied, 100};
  EXPECT_TRUE(refused && !refused.endsPart());
}

}  // namespace
}  // namespace pack
