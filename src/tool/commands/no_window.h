// The tool shows no window: the pack's writers and compile run behind this user interface.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace pack {

class NoWindow : public UserInterface {
 public:
  void showWaitWindow(std::string_view) override {}
  void showMessage(std::string_view) override {}
};

}  // namespace pack
