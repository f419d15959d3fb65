#include "running_time/fastest_run.h"

#include <algorithm>
#include <cmath>

namespace pack::running_time {
namespace {

constexpr double kSamePlace = 1e-9;  // metres: positions closer than this are one cut point

// Neighbouring sections with the same limit, gradient and traction limit, as one.
struct Block {
  double start = 0, end = 0;
  double limitMs = 0;
  double gradientPerMille = 0;
  double tractionLimitN = 0;
};

std::vector<Block> blocksOf(const Train& train, const Line& line) {
  if (line.sections.empty() || !(line.endM > 0)) throw RunError("the line has no length", 0);
  std::vector<Block> blocks;
  for (std::size_t i = 0; i < line.sections.size(); ++i) {
    const LineSection& s = line.sections[i];
    double end = i + 1 < line.sections.size() ? std::min(line.sections[i + 1].startM, line.endM) : line.endM;
    if (!(end > s.startM)) continue;
    double v = std::min(s.limitMs, train.maxSpeedMs);
    if (!(v > 0)) throw RunError("the speed limit is 0", s.startM);
    if (!blocks.empty() && blocks.back().limitMs == v && blocks.back().gradientPerMille == s.gradientPerMille &&
        blocks.back().tractionLimitN == s.tractionLimitN) {
      blocks.back().end = end;
      continue;
    }
    blocks.push_back({s.startM, end, v, s.gradientPerMille, s.tractionLimitN});
  }
  if (blocks.empty()) throw RunError("the line has no length", 0);
  return blocks;
}

// The highest speed at each block's end that still allows every later limit and the stop.
std::vector<double> exitSpeeds(const std::vector<Block>& blocks, double braking) {
  std::vector<double> exit(blocks.size(), 0.0);
  for (std::size_t k = blocks.size(); k-- > 1;) {
    double entry = std::min(blocks[k].limitMs,
                            std::sqrt(exit[k] * exit[k] + 2 * braking * (blocks[k].end - blocks[k].start)));
    exit[k - 1] = std::min(blocks[k - 1].limitMs, entry);
  }
  return exit;
}

// Where the integration restarts its step: block ends, the points of interest, and the places where the
// rear clears a lower limit.
std::vector<double> cutPoints(const std::vector<Block>& blocks, const Line& line, double trainLength) {
  std::vector<double> cuts;
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    cuts.push_back(blocks[k].end);
    if (k + 1 < blocks.size() && blocks[k].limitMs < blocks[k + 1].limitMs && blocks[k].end + trainLength < line.endM) {
      cuts.push_back(blocks[k].end + trainLength);
    }
  }
  for (const PointOfInterest& p : line.points) {
    if (p.frontM > 0 && p.frontM < line.endM) cuts.push_back(p.frontM);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end(), [](double a, double b) { return b - a < kSamePlace; }), cuts.end());
  return cuts;
}

class Run {
 public:
  Run(const Train& train, const Line& line, const RunOptions& options)
      : train_(train), line_(line), step_(options.stepM > 0 ? options.stepM : 20), blocks_(blocksOf(train, line)),
        exit_(exitSpeeds(blocks_, train.brakingMs2)), cuts_(cutPoints(blocks_, line, train.lengthM)),
        record_(options.recordTrace) {
    if (!(train.brakingMs2 > 0)) throw RunError("the train has no braking deceleration", 0);
    result_.points.resize(line.points.size());
    for (std::size_t i = 0; i < line.points.size(); ++i) {
      result_.points[i] = {line.points[i].label, line.points[i].frontM, std::nan(""), std::nan("")};
    }
  }

  RunResult drive() {
    if (record_) result_.trace.push_back({s_, t_, v_});
    passPoints();
    while (s_ < line_.endM - kSamePlace) {
      while (k_ + 1 < blocks_.size() && blocks_[k_].end <= s_ + kSamePlace) ++k_;
      while (c_ + 1 < cuts_.size() && cuts_[c_] <= s_ + kSamePlace) ++c_;
      const Block& b = blocks_[k_];
      double brakeSq = brakingCurveSq(s_);
      double ceiling = ceilingAt(s_);
      if (v_ > ceiling) v_ = ceiling;
      if (v_ * v_ >= brakeSq - 1e-9 * std::max(1.0, brakeSq)) {
        brake(cuts_[c_]);
      } else if (v_ >= ceiling - 1e-12 && tractionAt(v_, b) >= resistanceAt(v_, b)) {
        cruise(ceiling, cuts_[c_]);
      } else {
        pull(ceiling, brakeSq, cuts_[c_], b);
      }
      result_.topSpeedMs = std::max(result_.topSpeedMs, v_);
      passPoints();
    }
    result_.totalS = t_;
    return result_;
  }

 private:
  double tractionAt(double v, const Block& b) const { return std::min(train_.tractiveEffortAt(v), b.tractionLimitN); }
  double resistanceAt(double v, const Block& b) const {
    return train_.trainResistance(v) + train_.gradientResistance(b.gradientPerMille);
  }

  double brakingCurveSq(double s) const {
    return exit_[k_] * exit_[k_] + 2 * train_.brakingMs2 * std::max(0.0, blocks_[k_].end - s);
  }

  // The lowest limit under the train: the front's block, and every earlier one the rear is still in.
  double ceilingAt(double s) const {
    double c = blocks_[k_].limitMs;
    for (std::size_t j = k_; j-- > 0;) {
      if (!(s - train_.lengthM < blocks_[j].end)) break;
      c = std::min(c, blocks_[j].limitMs);
    }
    return c;
  }

  void advance(double s1, double v1, double dt) {
    s_ = s1;
    v_ = v1;
    t_ += dt;
    if (record_) result_.trace.push_back({s_, t_, v_});
  }

  void brake(double to) {
    double v1 = std::sqrt(std::max(0.0, brakingCurveSq(to)));
    advance(to, v1, v_ + v1 > 0 ? 2 * (to - s_) / (v_ + v1) : 0);
  }

  void cruise(double v, double cut) {
    double meets = blocks_[k_].end - (v * v - exit_[k_] * exit_[k_]) / (2 * train_.brakingMs2);
    double to = std::min(cut, meets);
    if (!(to > s_)) to = cut;
    advance(to, v, (to - s_) / v);
  }

  void pull(double ceiling, double brakeSq, double cut, const Block& b) {
    double a = (tractionAt(v_, b) - resistanceAt(v_, b)) / (train_.rotationFactor * train_.massKg);
    double h = std::min(step_, cut - s_);
    enum { kNone, kReachesLimit, kMeetsCurve } event = kNone;
    if (a > 0) {
      double toLimit = (ceiling * ceiling - v_ * v_) / (2 * a);
      if (toLimit < h) h = toLimit, event = kReachesLimit;
    }
    if (a + train_.brakingMs2 > 0) {
      double toCurve = (brakeSq - v_ * v_) / (2 * (a + train_.brakingMs2));
      if (toCurve < h) h = toCurve, event = kMeetsCurve;
    }
    double vSq = v_ * v_ + 2 * a * h;
    if (!(vSq > 0)) throw RunError("the train stalls: its tractive effort cannot overcome the resistance", s_);
    double v1 = event == kReachesLimit ? ceiling
                : event == kMeetsCurve ? std::sqrt(std::max(0.0, brakingCurveSq(s_ + h)))
                                       : std::sqrt(vSq);
    advance(s_ + h, v1, 2 * h / (v_ + v1));
  }

  void passPoints() {
    for (PointPassage& p : result_.points) {
      if (std::isnan(p.tS) && std::abs(p.sM - s_) < 1e-6) {
        p.tS = t_;
        p.vMs = v_;
      }
    }
  }

  const Train& train_;
  const Line& line_;
  double step_;
  std::vector<Block> blocks_;
  std::vector<double> exit_;
  std::vector<double> cuts_;
  bool record_;
  std::size_t k_ = 0, c_ = 0;
  double s_ = 0, v_ = 0, t_ = 0;
  RunResult result_;
};

}  // namespace

RunResult fastestRun(const Train& train, const Line& line, const RunOptions& options) {
  if (options.driverMarginM > 0) {
    Line anticipated = withDriverMargin(line, options.driverMarginM);
    return Run(train, anticipated, options).drive();
  }
  return Run(train, line, options).drive();
}

Line withDriverMargin(const Line& line, double marginM) {
  if (!(marginM > 0) || line.sections.empty()) return line;
  const std::vector<LineSection>& in = line.sections;
  std::vector<double> starts;
  for (std::size_t i = 0; i < in.size(); ++i) {
    starts.push_back(in[i].startM);
    if (i > 0 && in[i].limitMs < in[i - 1].limitMs) starts.push_back(std::max(in[0].startM, in[i].startM - marginM));
  }
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  Line out = line;
  out.sections.clear();
  std::size_t holder = 0;
  for (double a : starts) {
    if (a >= line.endM) break;
    while (holder + 1 < in.size() && in[holder + 1].startM <= a) ++holder;
    LineSection piece = in[holder];
    piece.startM = a;
    for (std::size_t j = holder + 1; j < in.size() && in[j].startM <= a + marginM && in[j].startM < line.endM; ++j) {
      piece.limitMs = std::min(piece.limitMs, in[j].limitMs);
    }
    out.sections.push_back(piece);
  }
  return out;
}

}  // namespace pack::running_time
