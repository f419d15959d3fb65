#include "bench/largest_route.h"

#include <cstdint>
#include <string>

namespace pack::bench {
namespace {

constexpr std::int32_t kLength = 1000000;
constexpr std::int32_t kStationSpacing = 22000;  // 46 stations
constexpr std::int32_t kBoardSpacing = 33000;    // 31 text boards
constexpr std::int32_t kMountainSpacing = 25000; // 40 stretches

// A fixed sequence of pseudo-random numbers: the generated text must never change.
class Sequence {
 public:
  std::uint32_t next(std::uint32_t bound) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33) % bound;
  }

 private:
  std::uint64_t state_ = 20261210;
};

class Lines {
 public:
  Lines& operator<<(const std::string& s) {
    text_ += s;
    return *this;
  }
  Lines& operator<<(std::int64_t v) {
    text_ += std::to_string(v);
    return *this;
  }
  void end() { text_ += "\r\n"; }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

}  // namespace

std::string largestRouteSource() {
  Sequence seq;
  Lines out;
  out << "[generale]";
  out.end();
  out << "lunghezza percorso,    " << kLength;
  out.end();
  out << "progressiva chilometrica uno,    0,    1160850,    1";
  out.end();
  out << "progressiva chilometrica due,    0,    0,    0";
  out.end();
  out << "progressiva chilometrica tre,    0,    0,    0";
  out.end();
  out << "sfondo uno,    0";
  out.end();
  out << "sfondo due,    1";
  out.end();
  out << "sfondo tre,    0";
  out.end();
  out << "ripetizione segnali 4 codici,    0,    0";
  out.end();

  // One or two curves in every kilometre, straight again before the next; the last ends well before
  // the metre at which the plan stops taking curves.
  out << "[curve]";
  out.end();
  for (std::int32_t km = 0; km < kLength / 1000 - 1; ++km) {
    std::int32_t start = km * 1000 + 100 + 50 * static_cast<std::int32_t>(seq.next(4));
    std::int32_t length = 100 + 50 * static_cast<std::int32_t>(seq.next(7));
    out << (seq.next(2) == 0 ? "curvad" : "curvas") << (1 + seq.next(6)) << ",  " << start << ",  " << length;
    out.end();
    if (seq.next(2) == 0) {
      out << (seq.next(2) == 0 ? "curvad" : "curvas") << (1 + seq.next(5)) << ",  " << start + length << ",  "
          << 50 + 50 * static_cast<std::int32_t>(seq.next(4));
      out.end();
    }
  }

  out << "[pendenze]";
  out.end();
  for (std::int32_t at = 0; at < kLength; at += 250 + 50 * static_cast<std::int32_t>(seq.next(8))) {
    out << "pendenza,  " << at << ",   " << static_cast<std::int32_t>(seq.next(49)) - 24;
    out.end();
  }

  out << "[montagne]";
  out.end();
  for (std::int32_t i = 0; i < kLength / kMountainSpacing; ++i) {
    std::int32_t start = i * kMountainSpacing + 12000;
    out << "montagna,   " << start << ",  " << start + 1000 + 50 * seq.next(20) << ",  " << (11 + seq.next(2));
    out.end();
  }

  out << "[cartelli]";
  out.end();
  for (std::int32_t i = 1; i * kBoardSpacing < kLength; ++i) {
    out << "indicatori_vmax,  " << i * kBoardSpacing + 5950 << ",  " << 60 + 5 * seq.next(8) << ",  65,  65,  0,  ,  ,  ,  0";
    out.end();
  }

  out << "[indicazioni]";
  out.end();
  for (std::int32_t i = 0; i * kBoardSpacing < kLength; ++i) {
    out << "cartello_indicatore,  " << i * kBoardSpacing + 2300 << ",   (Cippo     )(Km " << i * 33 << "+300)";
    out.end();
  }
  out << "[fine]";
  out.end();
  return out.take();
}

std::string largestTrainRunSource() {
  Sequence seq;
  Lines out;
  out << "[generale]";
  out.end();
  out << "numero vetture,    8";
  out.end();
  out << "percentuale massa frenata,    105";
  out.end();
  out << "sabbia,    180";
  out.end();
  out << "orologio,    6              0            0 ";
  out.end();

  out << "[aderenze]";
  out.end();
  for (std::int32_t at = 0; at < kLength; at += 5000) {
    out << "aderenza,   " << at << ",    " << 70 + 5 * seq.next(7);
    out.end();
  }
  out << "[vel_limite]";
  out.end();
  for (std::int32_t at = 0; at < kLength; at += 10000) {
    out << "velocita,   " << at << ",    " << 60 + 5 * seq.next(13);
    out.end();
  }

  // Termini with times and platforms of 600 m, stops of 300 m between them, every 22 km.
  out << "[stazioni]";
  out.end();
  std::int32_t last = kLength / kStationSpacing;
  for (std::int32_t i = 0; i <= last; ++i) {
    std::int32_t at = i * kStationSpacing;
    if (i == 0) {
      out << "stazione,       0, 12,  600,  1, 0, 0,  4,1,0,  2,1,1,    1,  6,1, 0, CAPOLINEA NORD";
    } else if (i == last) {
      out << "stazione,   " << at << ",  1,  600,  0, 0, 0,  1,1,0,  2,1,1,    0,  14,40, 0, CAPOLINEA SUD";
    } else {
      out << "stazione,   " << at << ", 22,  300,  0, 0, 1,  0,0,0,  4,1,1,    0,   0, 0, 0, FERMATA " << i;
    }
    out.end();
  }
  out << "[rallentamenti]";
  out.end();

  // A warning and a protection signal before every station after the first, and another pair in the
  // middle of every stretch between stations.
  out << "[segnali]";
  out.end();
  for (std::int32_t i = 1; i <= last; ++i) {
    std::int32_t station = i * kStationSpacing;
    for (std::int32_t protection : {station - kStationSpacing / 2, station - 600}) {
      out << "segnale,   " << protection - 1200 << ",   1, 4, 1,  0, 0,    0,  0,0,0, 0";
      out.end();
      out << "segnale,   " << protection << ",   2, 4, 1,  0, 0,    0,  0,0,0, 0";
      out.end();
    }
  }
  out << "[codici]";
  out.end();
  out << "[fine]";
  out.end();
  return out.take();
}

}  // namespace pack::bench
