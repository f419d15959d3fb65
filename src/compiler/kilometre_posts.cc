#include "compiler/kilometre_posts.h"

#include <array>

#include "compiler/cell_codec.h"
#include "compiler/checked_math.h"

namespace pack {
namespace {

struct KilometrePost {
  std::int32_t position = 0;
  std::int32_t value = 0;
  std::int32_t flag = 0;
};

using Rows = std::array<KilometrePost, 3>;  // rows 81, 82, 83 in that order
constexpr Rows kNoPosts{};

KilometrePost load(const ScenarioRecord& row) { return {row.numberA, row.numberB, row.numberC}; }

void store(ScenarioRecord& row, const KilometrePost& post) {
  row.numberA = post.position;
  row.numberB = post.value;
  row.numberC = post.flag;
}

// The definition with a position strictly greater than both others leads; of the other two the greater
// position follows, and on a tie the one read from the higher-numbered row (u before d before t). When
// no position leads, the definitions cannot be told apart and all are dropped.
Rows orderByPosition(const KilometrePost& t, const KilometrePost& d, const KilometrePost& u) {
  if (t.position > d.position && t.position > u.position) {
    return d.position > u.position ? Rows{t, d, u} : Rows{t, u, d};
  }
  if (d.position > t.position && d.position > u.position) {
    return t.position > u.position ? Rows{d, t, u} : Rows{d, u, t};
  }
  if (u.position > t.position && u.position > d.position) {
    return t.position > d.position ? Rows{u, t, d} : Rows{u, d, t};
  }
  return kNoPosts;
}

// All positions at the start of the line: the first definition with a positive value, taken in the
// order u, d, t, goes first.
Rows orderByValue(const KilometrePost& t, const KilometrePost& d, const KilometrePost& u) {
  if (u.value > 0) return {u, d, t};
  if (d.value > 0) return {d, t, u};
  if (t.value > 0) return {t, d, u};
  return kNoPosts;
}

}  // namespace

void progressive_ordina(Model& model) {
  auto& table = model.scenarioTable;
  KilometrePost t = load(table[kRowKilometreTre]);
  KilometrePost d = load(table[kRowKilometreDue]);
  KilometrePost u = load(table[kRowKilometreUno]);

  std::int32_t positionSum = checkedAdd(checkedAdd(t.position, d.position), u.position);
  Rows ordered = positionSum != 0 ? orderByPosition(t, d, u) : orderByValue(t, d, u);

  store(table[kRowKilometreTre], ordered[0]);
  store(table[kRowKilometreDue], ordered[1]);
  store(table[kRowKilometreUno], ordered[2]);

  // Row by row, so that an overflow leaves the rows already raised as they are.
  for (int row : {kRowKilometreTre, kRowKilometreDue, kRowKilometreUno}) {
    if (table[row].numberC == 1) table[row].numberB = checkedAdd(table[row].numberB, codec::kKilometreFlagRaise);
  }
}

bool kilometrePostsOnGrid(const Model& model) {
  for (int row : {kRowKilometreTre, kRowKilometreDue, kRowKilometreUno}) {
    const ScenarioRecord& post = model.scenarioTable[static_cast<std::size_t>(row)];
    if (post.numberA % kCellLength != 0 || post.numberB % kCellLength != 0) return false;
  }
  return true;
}

}  // namespace pack
