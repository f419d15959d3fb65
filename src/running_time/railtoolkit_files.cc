#include "running_time/railtoolkit_files.h"

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace pack::running_time {
namespace {

std::string placeText(const std::string& file, int line, int column, const std::string& field,
                      const std::string& problem) {
  std::string text = file + ":" + std::to_string(line) + ":" + std::to_string(column) + ": ";
  if (!field.empty()) text += field + ": ";
  return text + problem;
}

// Reads fields out of one parsed file, every refusal naming where it stands.
class Fields {
 public:
  explicit Fields(const std::string& file) : file_(file) {}

  [[noreturn]] void fail(const YAML::Node& at, const std::string& field, const std::string& problem) const {
    YAML::Mark m = at.Mark();
    throw FileError(file_, m.line + 1, m.column + 1, field, problem);
  }

  // The member `key` of `map`; a missing one is refused at the map.
  YAML::Node member(const YAML::Node& map, const char* key, const std::string& field) const {
    YAML::Node n = map[key];
    if (!n.IsDefined() || n.IsNull()) fail(map, field, std::string("missing field \"") + key + "\"");
    return n;
  }

  YAML::Node list(const YAML::Node& n, const std::string& field) const {
    if (!n.IsSequence()) fail(n, field, "must be a list");
    if (n.size() == 0) fail(n, field, "must not be empty");
    return n;
  }

  YAML::Node map(const YAML::Node& n, const std::string& field) const {
    if (!n.IsMap()) fail(n, field, "must be a mapping of fields");
    return n;
  }

  double number(const YAML::Node& n, const std::string& field) const {
    double value = 0;
    bool read = n.IsScalar() && YAML::convert<double>::decode(n, value);
    if (!read || !std::isfinite(value)) fail(n, field, "must be a number, not " + shown(n));
    return value;
  }

  std::string text(const YAML::Node& n, const std::string& field) const {
    if (!n.IsScalar()) fail(n, field, "must be a text, not " + shown(n));
    return n.Scalar();
  }

  // An optional number: `fallback` when absent.
  double optionalNumber(const YAML::Node& map, const char* key, const std::string& field, double fallback) const {
    YAML::Node n = map[key];
    if (!n.IsDefined() || n.IsNull()) return fallback;
    return number(n, field);
  }

  double atLeast(const YAML::Node& n, const std::string& field, double lowest, bool strictly) const {
    double value = number(n, field);
    if (strictly ? !(value > lowest) : value < lowest) {
      fail(n, field, std::string("must be ") + (strictly ? "above " : "at least ") + trimmed(lowest) + ", not " +
                         n.Scalar());
    }
    return value;
  }

 private:
  static std::string shown(const YAML::Node& n) {
    if (n.IsScalar()) return "\"" + n.Scalar() + "\"";
    if (n.IsSequence()) return "a list";
    if (n.IsMap()) return "a mapping";
    return "nothing";
  }
  static std::string trimmed(double v) {
    std::string s = std::to_string(v);
    while (s.find('.') != std::string::npos && (s.back() == '0' || s.back() == '.')) {
      bool dot = s.back() == '.';
      s.pop_back();
      if (dot) break;
    }
    return s;
  }
  const std::string& file_;
};

YAML::Node parse(std::string_view text, const std::string& file) {
  try {
    YAML::Node root = YAML::Load(std::string(text));
    if (!root.IsMap()) throw FileError(file, 1, 1, "", "the file is not a mapping of fields (schema, trains or paths...)");
    return root;
  } catch (const YAML::Exception& e) {
    throw FileError(file, e.mark.line + 1, e.mark.column + 1, "", e.msg);
  }
}

// A name or label that only decorates: any scalar will do.
std::string optionalText(const YAML::Node& map, const char* key, const std::string& fallback) {
  const YAML::Node n = map[key];
  return n.IsDefined() && n.IsScalar() ? n.Scalar() : fallback;
}

VehicleType vehicleType(const Fields& f, const YAML::Node& n, const std::string& field) {
  static const std::map<std::string, VehicleType> kTypes = {{"traction unit", VehicleType::kTractionUnit},
                                                            {"multiple unit", VehicleType::kMultipleUnit},
                                                            {"passenger", VehicleType::kPassenger},
                                                            {"freight", VehicleType::kFreight}};
  auto found = kTypes.find(f.text(n, field));
  if (found == kTypes.end()) {
    f.fail(n, field, "must be \"traction unit\", \"multiple unit\", \"passenger\" or \"freight\", not \"" + n.Scalar() + "\"");
  }
  return found->second;
}

std::vector<std::pair<double, double>> tractiveEffort(const Fields& f, const YAML::Node& table, const std::string& field) {
  std::vector<std::pair<double, double>> rows;
  f.list(table, field);
  for (std::size_t i = 0; i < table.size(); ++i) {
    std::string at = field + "[" + std::to_string(i) + "]";
    const YAML::Node row = table[i];
    if (!row.IsSequence() || row.size() != 2) f.fail(row, at, "must be a pair [speed km/h, effort N]");
    double speed = f.atLeast(row[0], at + " speed", 0, false);
    double effort = f.atLeast(row[1], at + " effort", 0, false);
    if (!rows.empty() && !(speed > rows.back().first)) f.fail(row[0], at + " speed", "speeds must ascend");
    rows.emplace_back(speed, effort);
  }
  return rows;
}

Vehicle vehicle(const Fields& f, const YAML::Node& n, const std::string& field) {
  f.map(n, field);
  Vehicle v;
  v.id = f.text(f.member(n, "id", field + ".id"), field + ".id");
  v.name = optionalText(n, "name", v.id);
  v.type = vehicleType(f, f.member(n, "vehicle_type", field + ".vehicle_type"), field + ".vehicle_type");
  v.lengthM = f.atLeast(f.member(n, "length", field + ".length"), field + ".length", 0, true);
  v.massT = f.atLeast(f.member(n, "mass", field + ".mass"), field + ".mass", 0, true);
  v.loadLimitT = f.optionalNumber(n, "load_limit", field + ".load_limit", 0);
  if (v.loadLimitT < 0) f.fail(n["load_limit"], field + ".load_limit", "must be at least 0");
  v.speedLimitKmh = f.atLeast(f.member(n, "speed_limit", field + ".speed_limit"), field + ".speed_limit", 0, true);
  v.rotationMass = f.optionalNumber(n, "rotation_mass", field + ".rotation_mass", 0);
  if (n["rotation_mass"].IsDefined() && !n["rotation_mass"].IsNull() && v.rotationMass < 1) {
    f.fail(n["rotation_mass"], field + ".rotation_mass", "must be at least 1");
  }
  v.brakingMs2 = f.optionalNumber(n, "a_braking", field + ".a_braking", 0);
  if (v.brakingMs2 > 0) f.fail(n["a_braking"], field + ".a_braking", "is a deceleration: it must be below 0");
  const char* resistances[] = {"base_resistance", "rolling_resistance", "air_resistance"};
  double* targets[] = {&v.baseResistance, &v.rollingResistance, &v.airResistance};
  for (int i = 0; i < 3; ++i) {
    *targets[i] = f.optionalNumber(n, resistances[i], field + "." + resistances[i], 0);
    if (*targets[i] < 0) f.fail(n[resistances[i]], field + "." + resistances[i], "must be at least 0");
  }
  if (isPowered(v.type)) {
    v.massTractionT = f.atLeast(f.member(n, "mass_traction", field + ".mass_traction"), field + ".mass_traction", 0, true);
    if (v.massTractionT > v.massT) f.fail(n["mass_traction"], field + ".mass_traction", "must not exceed the mass");
    v.tractiveEffort = tractiveEffort(f, f.member(n, "tractive_effort", field + ".tractive_effort"),
                                      field + ".tractive_effort");
  }
  return v;
}

}  // namespace

FileError::FileError(std::string file, int line, int column, std::string field, const std::string& problem)
    : std::runtime_error(placeText(file, line, column, field, problem)),
      file(std::move(file)),
      line(line),
      column(column),
      field(std::move(field)) {}

RollingStock readRollingStock(std::string_view text, const std::string& file) {
  Fields f(file);
  const YAML::Node root = parse(text, file);
  try {
    const YAML::Node trains = f.list(f.member(root, "trains", "trains"), "trains");
    const YAML::Node train = f.map(trains[0], "trains[0]");
    const YAML::Node formation = f.list(f.member(train, "formation", "trains[0].formation"), "trains[0].formation");
    const YAML::Node vehicles = f.list(f.member(root, "vehicles", "vehicles"), "vehicles");
    std::map<std::string, Vehicle> byId;
    for (std::size_t i = 0; i < vehicles.size(); ++i) {
      Vehicle v = vehicle(f, vehicles[i], "vehicles[" + std::to_string(i) + "]");
      byId[v.id] = std::move(v);
    }
    RollingStock stock;
    stock.trainName = optionalText(train, "name", "train");
    for (std::size_t i = 0; i < formation.size(); ++i) {
      std::string field = "trains[0].formation[" + std::to_string(i) + "]";
      auto found = byId.find(f.text(formation[i], field));
      if (found == byId.end()) f.fail(formation[i], field, "no vehicle has the id \"" + formation[i].Scalar() + "\"");
      stock.formation.push_back(found->second);
    }
    return stock;
  } catch (const YAML::Exception& e) {
    throw FileError(file, e.mark.line + 1, e.mark.column + 1, "", e.msg);
  }
}

RunningPath readRunningPath(std::string_view text, const std::string& file) {
  Fields f(file);
  const YAML::Node root = parse(text, file);
  try {
    const YAML::Node paths = f.list(f.member(root, "paths", "paths"), "paths");
    const YAML::Node path = f.map(paths[0], "paths[0]");
    RunningPath out;
    out.name = optionalText(path, "name", "path");
    const std::string rowsField = "paths[0].characteristic_sections";
    const YAML::Node rows = f.list(f.member(path, "characteristic_sections", rowsField), rowsField);
    if (rows.size() < 2) f.fail(rows, rowsField, "needs at least two rows: the last one marks the end");
    for (std::size_t i = 0; i < rows.size(); ++i) {
      std::string at = rowsField + "[" + std::to_string(i) + "]";
      const YAML::Node row = rows[i];
      if (!row.IsSequence() || row.size() != 3) f.fail(row, at, "must be [station m, speed limit km/h, resistance per mille]");
      RunningPath::Row r{f.number(row[0], at + " station"), f.atLeast(row[1], at + " speed limit", 0, true),
                         f.number(row[2], at + " resistance")};
      if (!out.sections.empty() && !(r.stationM > out.sections.back().stationM)) {
        f.fail(row[0], at + " station", "stations must ascend");
      }
      out.sections.push_back(r);
    }
    const std::string pointsField = "paths[0].points_of_interest";
    const YAML::Node points = path["points_of_interest"];
    if (points.IsDefined() && !points.IsNull()) {
      if (!points.IsSequence()) f.fail(points, pointsField, "must be a list");
      for (std::size_t i = 0; i < points.size(); ++i) {
        std::string at = pointsField + "[" + std::to_string(i) + "]";
        const YAML::Node p = points[i];
        if (!p.IsSequence() || p.size() != 3) f.fail(p, at, "must be [station m, label, front or rear]");
        std::string measure = f.text(p[2], at + " measure");
        if (measure != "front" && measure != "rear") f.fail(p[2], at + " measure", "must be \"front\" or \"rear\"");
        out.points.push_back({f.number(p[0], at + " station"), f.text(p[1], at + " label"), measure == "rear"});
      }
    }
    return out;
  } catch (const YAML::Exception& e) {
    throw FileError(file, e.mark.line + 1, e.mark.column + 1, "", e.msg);
  }
}

Line lineOf(const RunningPath& path, double trainLength) {
  Line line;
  double origin = path.sections.front().stationM;
  for (std::size_t i = 0; i + 1 < path.sections.size(); ++i) {
    const RunningPath::Row& r = path.sections[i];
    line.sections.push_back({r.stationM - origin, r.limitKmh / 3.6, r.gradientPerMille});
  }
  line.endM = path.sections.back().stationM - origin;
  for (const RunningPath::Point& p : path.points) {
    line.points.push_back({p.stationM - origin + (p.rear ? trainLength : 0), p.label});
  }
  return line;
}

}  // namespace pack::running_time
