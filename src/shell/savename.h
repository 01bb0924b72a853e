#pragma once

#include <functional>
#include <string>

// Where Ctrl+S writes the picture of the file at `path`: beside it, the name without its
// extension and with ".png": the first of NAME.png, NAME-2.png, NAME-3.png, ... for which
// `taken` is false. `taken` defaults to "something of that name exists" (a dangling symbolic
// link included), so that nothing is ever overwritten.
std::string savePathFor(const std::string& path,
                        const std::function<bool(const std::string&)>& taken = {});

// The first of STEM.png, STEM-2.png, ... for which `taken` is false (the same default): for a
// picture found inside a file, STEM is "PATH@0xOFFSET".
std::string savePathNamed(const std::string& stem,
                          const std::function<bool(const std::string&)>& taken = {});
