// scenario-tool serve DIR [SCENARIO [TRAIN]]: the live loop. A web server on the loopback address serves
// the viewer's page of the sources in DIR and redraws every open page the moment a source is saved, with
// the verdict of `check` beside the drawing. The sources are compiled in memory; with --write the
// compiled files are also written, exactly as `compile` writes them.
#include <mutex>
#include <ostream>

#include "formats/file_names.h"
#include "platform/live.h"
#include "platform/temporary_files.h"
#include "tool/commands/compile_command.h"
#include "tool/commands/scenario_command.h"
#include "tool/serve/live_page.h"
#include "tool/serve/live_view.h"
#include "tool/serve/save_watch.h"
#include "tool/serve/web_server.h"

namespace pack {
namespace {

constexpr int kExitUnavailable = 69;  // the port could not be had

struct ServeOptions {
  int port = 0;
  bool open = false;
  bool write = false;
  bool noPlan = false;
};

// The page as served: made once for the latest drawing that compiled, at the first request that needs it,
// and shared by every request, so that many requests at once never hold a copy each.
class LatestPage {
 public:
  explicit LatestPage(const std::string& title) : title_(title) {}
  void set(std::shared_ptr<const PlotData> drawing) {
    std::lock_guard<std::mutex> lock(mutex_);
    drawing_ = std::move(drawing);
  }
  WebServer::Page get() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!page_ || madeFor_ != drawing_) {
      page_ = std::make_shared<const std::string>(livePage(drawing_.get(), title_));
      madeFor_ = drawing_;
    }
    return page_;
  }

 private:
  std::mutex mutex_;
  const std::string& title_;
  std::shared_ptr<const PlotData> drawing_, madeFor_;
  WebServer::Page page_;
};

// The secret of the server's address: 128 bits from the system's random source, in hex.
std::string drawToken() {
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (int half = 0; half < 2; ++half) {
    std::uint64_t bits = systemRandom();
    for (int i = 0; i < 16; ++i, bits >>= 4) token += kHex[bits & 15];
  }
  return token;
}

class Loop {
 public:
  Loop(const ServeOptions& options, const ChosenScenario& chosen, Platform& platform, std::ostream& out,
       std::ostream& err)
      : options_(options),
        chosen_(chosen),
        sources_{chosen.dir, chosen.scenario, chosen.train, chosen.title, !options.noPlan},
        platform_(platform),
        out_(out),
        err_(err) {}

  int run() {
    const std::string token = drawToken();
    WebServer server(channel_, [this] { return page_.get(); }, token);
    WebServer::Bound bound = server.bind(options_.port);
    if (bound.port == 0) {
      return say().fail(kExitUnavailable, "cannot listen on 127.0.0.1 port " + std::to_string(options_.port));
    }
    if (!bound.ipv6) {
      // A browser may try ::1 first for "localhost", and would then reach whatever holds that port there.
      say().line() << "::1 port " << bound.port << " could not be had (taken, or no IPv6 here): serving on 127.0.0.1 only\n";
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(bound.port) + "/?token=" + token;
    out_ << url << std::endl;
    catchStopRequests();
    // Watching starts before the first compile, so that a save during it is not missed.
    ScenarioNames names{sources_.scenario, sources_.train};
    std::vector<std::string> files = {routeSourceName(names), trainRunSourceName(names)};
    std::unique_ptr<FileWatcher> watcher = watchFiles(platform_, sources_.dir, files);
    SaveWatch saves(*watcher, platform_, {platform_.join(sources_.dir, files[0]), platform_.join(sources_.dir, files[1])});
    update();
    server.start();
    if (options_.open && !openInBrowser(url)) say().line() << "could not open a browser\n";
    while (saves.next(stopRequested)) update();
    server.stop();
    out_ << "stopped" << std::endl;
    stopFinished();
    return kExitOk;
  }

 private:
  void update() {
    LiveView view = viewSources(platform_, sources_);
    if (view.drawing) page_.set(view.drawing);
    channel_.publish(std::move(view.message));
    out_ << view.summary << std::endl;
    if (options_.write) {
      CompileOptions compile;
      compile.noPlan = options_.noPlan;
      try {
        runCompile(compile, platform_, chosen_, out_, err_);
      } catch (const FolderBusy& e) {
        say().line() << e.what() << '\n';  // the next save tries again
      }
    }
  }

  CommandVoice say() const { return CommandVoice("serve", err_); }

  const ServeOptions& options_;
  const ChosenScenario& chosen_;
  LiveSources sources_;
  Platform& platform_;
  std::ostream& out_;
  std::ostream& err_;
  LiveChannel channel_;
  LatestPage page_{sources_.title};
};

class ServeCommand : public ScenarioCommand {
 public:
  ServeCommand() : ScenarioCommand("serve", ScenarioFiles::kSources) {}

  CommandLine define(CommandLine& tool) override {
    CommandLine sub = tool.command("serve", "Show a scenario's sources in the browser, redrawn at every save");
    sub.footer(
        "Serves the interactive page of DIR/SCENARIO_linea.txt and DIR/SCENARIO_TRAIN-.txt on this computer\n"
        "only (127.0.0.1 and ::1) and prints its address on the first line, with a secret token that every\n"
        "request needs, so that other users of this computer see nothing. The sources are compiled in\n"
        "memory, as check does; every save of either source redraws each open page in place, keeping its\n"
        "view, with the errors and warnings beside the drawing. While the sources do not compile, the last\n"
        "drawing stays, marked out of date. Nothing is written unless --write is given: then the compiled\n"
        "files are written after every save, exactly as compile writes them. Ctrl+C stops the server.\n"
        "Exit status: 0 stopped, 64 bad argument, 69 the port could not be had, 74 DIR is missing or holds no\n"
        "sources.\n"
        "More in docs/looking.md.");
    sub.option("--port", options_.port, "Port to listen on (default: one the system picks)")
        .range(0, 65535);
    sub.flag("--open", options_.open, "Open the page in the browser");
    sub.flag("--write", options_.write, "Also write the compiled files at every save, as compile does");
    sub.flag("--no-plan", options_.noPlan, "Compile without the per-metre plan (curves are not read)");
    addScenarioArguments(sub, "the two sources");
    return sub;
  }

  int run(std::ostream& out, std::ostream& err) override {
    std::unique_ptr<Platform> platform = makeNativePlatform();
    int status = kExitOk;
    std::optional<ChosenScenario> chosen = chooseScenario(*platform, err, status);
    if (!chosen) return status;
    return Loop(options_, *chosen, *platform, out, err).run();
  }

 private:
  ServeOptions options_;
};

}  // namespace

std::unique_ptr<ToolCommand> makeServeCommand() { return std::make_unique<ServeCommand>(); }

}  // namespace pack
