// The open rolling-stock and running-path files (railtoolkit schema 2022.05, YAML): a train's vehicles
// and formation, and a path's characteristic sections and points of interest. Fields the model does not
// use (UUIDs, pictures, sources, comments) are accepted and ignored; a field the model needs that is
// missing or malformed is refused with the file, line, column and field.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "running_time/fastest_run.h"
#include "running_time/train.h"

namespace pack::running_time {

// The most a rolling-stock or running-path file may hold: a whole line's path is a few hundred kilobytes.
constexpr std::uint64_t kMaxRailtoolkitFileBytes = 16 * 1024 * 1024;


class FileError : public std::runtime_error {
 public:
  FileError(std::string file, int line, int column, std::string field, const std::string& problem);
  std::string file;
  int line;    // from 1
  int column;  // from 1
  std::string field;  // "vehicles[1].mass"
};

// `text` is the file's content, `file` its name for the messages. Throw FileError.
RollingStock readRollingStock(std::string_view text, const std::string& file);

struct RunningPath {
  std::string name;
  struct Row {
    double stationM, limitKmh, gradientPerMille;
  };
  std::vector<Row> sections;  // the last row marks the end
  struct Point {
    double stationM;
    std::string label;
    bool rear;  // measured at the rear: the front stands a train length further on
  };
  std::vector<Point> points;
};
RunningPath readRunningPath(std::string_view text, const std::string& file);

// The path for a train of `trainLength` metres, positions from the path's first row.
Line lineOf(const RunningPath& path, double trainLength);

}  // namespace pack::running_time
