#pragma once

// Every picture file the repository keeps, made by this code: the bundled samples, the
// accurate-profile samples and the fuzz seeds. writesamples writes them; a test checks that
// the committed files are still what this code makes.

#include <string>
#include <vector>

#include "imagbuilder.h"

struct RepositoryFile {
  std::string path;  // from the repository's root
  Bytes bytes;
};

std::vector<RepositoryFile> repositoryFiles();
