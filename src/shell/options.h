#pragma once

// The viewer's command line: options first, then the files.
//
//   dragndrop [--classic|--accurate] [--scan] [--zoom N] [--fit] [--fullscreen] [--]
//   [FILE|FOLDER]... dragndrop --help | --version

#include <string>
#include <vector>

#include "profile.h"

struct ViewerOptions {
  enum class Action { view, help, version, usageError };
  Action action = Action::view;
  std::string error;                             // for usageError: what was wrong
  ProfileMode profile = ProfileMode::automatic;  // --classic or --accurate force one
  int zoom = 1;                                  // 1 to 16
  bool fit = false;
  bool fullScreen = false;
  bool scan = false;  // list the pictures found anywhere in each file, not the files
  std::vector<std::string> arguments;  // what is left for the files (see filesFromArguments)
};

// Reads the arguments after the program's name. Options are recognised until "--" or the first
// argument that does not start with '-' ("-" alone is a file). An unknown option, or a --zoom
// without a whole number from 1 to 16, is a usage error.
ViewerOptions parseViewerOptions(const std::vector<std::string>& args);

// The text of --help: usage, options and the key list.
std::string helpText();
